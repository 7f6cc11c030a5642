// What the choice of the settings files' folder needs of the system; one
// source file per system.
#pragma once

#include <string>

// Files can be made, renamed and removed in `folder` by this process.
bool CanWriteFolder(const std::string& folder);
// The user's own folder for the program's files, or "" where the system
// keeps them beside the program whatever it is.
std::string UserAppFolder();
