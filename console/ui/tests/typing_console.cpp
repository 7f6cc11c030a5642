// The console program with a hand on its keyboard, for tests that start it as
// a user would: once the window is up it types the first argument into row
// 1's command edit and writes "typed" on its output; with --box it then opens
// a message box on top of the window. It runs until it is closed, as the
// program does.
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "console_app.h"

namespace {

QLineEdit* EditNamed(const QString& name)
{
    for (QWidget* widget : QApplication::allWidgets()) {
        auto* edit = qobject_cast<QLineEdit*>(widget);
        if (edit && edit->accessibleName() == name && edit->isVisible()) return edit;
    }
    return nullptr;
}

void TypeWhenShown(const QString& command, bool box)
{
    QLineEdit* edit = EditNamed(QStringLiteral("Command 1"));
    if (!edit) {
        QTimer::singleShot(20, [=] { TypeWhenShown(command, box); });
        return;
    }
    QTest::keyClicks(edit, command);
    std::puts("typed");
    std::fflush(stdout);
    if (box) QMessageBox::information(edit->window(), QStringLiteral("Quillard"), command);
}

}  // namespace

int main(int argc, char** argv)
{
    ConsoleApp app(argc, argv);
    const QString command = QString::fromLocal8Bit(argc > 1 ? argv[1] : "00A4");
    const bool box = argc > 2 && std::strcmp(argv[2], "--box") == 0;
    QTimer::singleShot(0, [=] { TypeWhenShown(command, box); });
    app.InitInstance();
    return 0;
}
