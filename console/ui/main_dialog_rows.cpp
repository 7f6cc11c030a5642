// The send pane's rows: how many are shown, where they stand, their colours.
#include <QLineEdit>
#include <QPalette>

#include "main_dialog.h"

namespace {

const QColor kOddRowColour(200, 250, 250);   // rows 1, 3, 5, 7, 9: light cyan
const QColor kEvenRowColour(250, 250, 200);  // rows 2, 4, 6, 8, 10: light yellow

}  // namespace

void MainDialog::LayoutRows(int n)
{
    const int pitch = GetDlgItem(CommandId(0))->height() + 4;
    const int delta = pitch * (n - m_nRowCount);
    m_nRowCount = n;

    auto stretch = [delta](QWidget* control) {
        control->resize(control->width(), control->height() + delta);
    };
    auto shift = [delta](QWidget* control) { control->move(control->x(), control->y() + delta); };

    stretch(GetDlgItem(1061));
    setFixedSize(width(), height() + delta);
    stretch(GetDlgItem(1057));
    for (auto columnId : {AddressId, CommandId, TimeoutId, SendId, LoopCheckId}) {
        const QRect first = GetDlgItem(columnId(0))->geometry();
        for (int row = 1; row < kRows; ++row)
            GetDlgItem(columnId(row))->setGeometry(first.translated(0, row * pitch));
    }
    for (int id : {1001, 1013, 1002, 1056, 1059, 1014})
        shift(GetDlgItem(id));

    for (int row = 0; row < kRows; ++row) {
        for (auto columnId : {AddressId, CommandId, TimeoutId, SendId, LoopCheckId})
            GetDlgItem(columnId(row))->setVisible(row < n);
    }
}

void MainDialog::OnAddRow()
{
    if (m_nRowCount < kRows) LayoutRows(m_nRowCount + 1);
    if (m_nRowCount == kRows) GetDlgItem(1001)->setEnabled(false);
    if (m_nRowCount == 2) GetDlgItem(1013)->setEnabled(true);
}

void MainDialog::OnRemoveRow()
{
    if (m_nRowCount > 1) LayoutRows(m_nRowCount - 1);
    if (m_nRowCount == 1) GetDlgItem(1013)->setEnabled(false);
    if (m_nRowCount == kRows - 1) GetDlgItem(1001)->setEnabled(true);
}

// The address, command and time-out edits take their row's colour while they
// are enabled; a disabled edit keeps the style's own look.
void MainDialog::ApplyRowColours()
{
    for (int row = 0; row < kRows; ++row) {
        const QColor& colour = row % 2 == 0 ? kOddRowColour : kEvenRowColour;
        for (int id : {AddressId(row), CommandId(row), TimeoutId(row)}) {
            QWidget* edit = GetDlgItem(id);
            QPalette palette = edit->palette();
            palette.setColor(QPalette::Active, QPalette::Base, colour);
            palette.setColor(QPalette::Inactive, QPalette::Base, colour);
            edit->setPalette(palette);
        }
    }
}
