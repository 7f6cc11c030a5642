#include <windows.h>

#include <commctrl.h>

#include "console_app.h"

struct ConsoleApp::Toolkit {};

// The common controls (the tab control) are registered before any window.
ConsoleApp::ConsoleApp(int&, char**) : m_toolkit(std::make_unique<Toolkit>())
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
}

ConsoleApp::~ConsoleApp() = default;
