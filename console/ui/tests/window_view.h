// The Qt window behind a main window, for tests that look at its widgets.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>

#include "main_dialog.h"
#include "qt_dialog_window.h"

inline QtDialogWindow& View(MainDialog& dialog)
{
    return static_cast<QtDialogWindow&>(dialog.Window());
}

// Serves the window until its worker (a Send's or a loop's) has ended; false
// when it has not within `timeoutMs`.
inline bool WaitForWorker(MainDialog& dialog, int timeoutMs = 20000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (dialog.LoopWorkerAlive() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return !dialog.LoopWorkerAlive();
}
