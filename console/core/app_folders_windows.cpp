// On Windows the settings files stay beside the program: a program in a
// protected folder has its writes sent to the user's own store by Windows
// itself (file virtualisation).
#include "app_folders.h"

bool CanWriteFolder(const std::string&)
{
    return true;
}

std::string UserAppFolder()
{
    return {};
}
