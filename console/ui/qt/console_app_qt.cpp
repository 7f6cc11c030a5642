#include <QApplication>

#include "console_app.h"
#include "program_icon.h"
#include "window_fonts.h"

struct ConsoleApp::Toolkit {
    Toolkit(int& argc, char** argv) : app(argc, argv) {}
    QApplication app;
};

ConsoleApp::ConsoleApp(int& argc, char** argv) : m_toolkit(std::make_unique<Toolkit>(argc, argv))
{
    QApplication::setApplicationName(QStringLiteral("Quillard"));
    QApplication::setWindowIcon(ProgramIcon());
    QApplication::setFont(DialogFont());
}

ConsoleApp::~ConsoleApp() = default;
