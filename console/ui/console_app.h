// The application: runs the main window modally; the program ends with it.
#pragma once

#include <QApplication>

class ConsoleApp {
public:
    ConsoleApp(int& argc, char** argv);

    // Runs the main window until it closes; false: no message loop follows.
    bool InitInstance();

private:
    QApplication m_app;
};
