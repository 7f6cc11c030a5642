#include "console_app.h"

#include "main_dialog.h"
#include "program_icon.h"
#include "window_fonts.h"

ConsoleApp::ConsoleApp(int& argc, char** argv) : m_app(argc, argv)
{
    QApplication::setApplicationName(QStringLiteral("Quillard"));
    QApplication::setWindowIcon(ProgramIcon());
    QApplication::setFont(DialogFont());
}

bool ConsoleApp::InitInstance()
{
    MainDialog dialog;
    dialog.DoModal();
    return false;
}
