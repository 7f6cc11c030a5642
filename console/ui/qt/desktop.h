// What the window needs of the Linux desktop it runs on.
#pragma once

#include <functional>
#include <vector>

#include "dialog_window.h"

class QWidget;

// Starts the desktop's calculator if one is installed; failure is ignored.
void StartCalculator();

// Puts the window's own system-menu entries where the desktop lets a user find
// them: the window manager owns the system menu, so they make the window's
// context menu (a right click on any free place of the window). A choice calls
// `onCommand` with the entry's command. The menu shows the entries that
// `entries` gives at the moment it opens.
void InstallWindowMenu(QWidget& window, std::function<std::vector<MenuEntry>()> entries,
                       std::function<void(int command)> onCommand);
