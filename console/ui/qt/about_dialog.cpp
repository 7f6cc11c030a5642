#include "about_dialog.h"

#include <QPushButton>

#include "program_icon.h"
#include "window_fonts.h"

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    const DialogTemplate& about = AboutDialogTemplate();
    setWindowTitle(QString::fromUtf8(about.title));
    setWindowIcon(ProgramIcon());
    setFont(DialogFont());
    setFixedSize(DialogUnitsToPixelsX(about.w), DialogUnitsToPixelsY(about.h));
    m_controls.Create(*this, about);
    auto* ok = static_cast<QPushButton*>(m_controls.Find(1));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
