// The Qt window behind a main window, for tests that look at its widgets.
#pragma once

#include "main_dialog.h"
#include "qt_dialog_window.h"

inline QtDialogWindow& View(MainDialog& dialog)
{
    return static_cast<QtDialogWindow&>(dialog.Window());
}
