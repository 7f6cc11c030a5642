#include "console_app.h"

#include "main_dialog.h"

bool ConsoleApp::InitInstance()
{
    MainDialog dialog;
    dialog.DoModal();
    return false;
}
