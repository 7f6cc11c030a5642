// What the window needs of the desktop it runs on; one source file per system.
#pragma once

#include <QString>
#include <functional>

class QWidget;

// Starts the desktop's calculator if one is installed; failure is ignored.
void StartCalculator();

// Menu commands the window offers beside its controls.
struct ShellMenuEntry {
    int command;
    QString text;  // empty: a separator
};

// Puts the window's About entry (system command 16) where the desktop lets a
// user find it, with the other entries after it; a choice calls `onCommand`.
// Where the window manager owns the system menu, this is the window's own
// context menu (a right click on any free place of the window).
void InstallWindowMenu(QWidget& window, const QString& aboutText,
                       const std::vector<ShellMenuEntry>& entries,
                       std::function<void(int command)> onCommand);
