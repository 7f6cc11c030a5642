// The application: runs the main window modally; the program ends with it.
#pragma once

#include <memory>

class ConsoleApp {
public:
    ConsoleApp(int& argc, char** argv);
    ~ConsoleApp();
    ConsoleApp(const ConsoleApp&) = delete;
    ConsoleApp& operator=(const ConsoleApp&) = delete;

    // Runs the main window until it closes; false: no message loop follows.
    bool InitInstance();

private:
    struct Toolkit;  // the toolkit's own application state, one per toolkit
    std::unique_ptr<Toolkit> m_toolkit;
};
