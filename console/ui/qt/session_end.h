// Tells the window thread that the desktop session ends or asks to save:
//  - SIGTERM, SIGHUP or SIGINT to the process (a log-out, a shutdown, `kill`,
//    Ctrl+C in the terminal it was started from): the
//    signal handler only writes a byte into a pipe, which the window thread's
//    event loop watches;
//  - the desktop's request to quit (the session manager's "die", a Quit event
//    to the application): taken here, so that the window closes its own way;
//  - the session manager's request to save (commitDataRequest), after which
//    the session may still go on.
// With several watchers at once (tests), the one made last is told.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

class SessionEndWatcher : public QObject {
public:
    SessionEndWatcher(std::function<void()> onEnd, std::function<void()> onSaveRequest);
    ~SessionEndWatcher() override;
    SessionEndWatcher(const SessionEndWatcher&) = delete;
    SessionEndWatcher& operator=(const SessionEndWatcher&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool IsTold() const;

    std::function<void()> m_onEnd;
    std::function<void()> m_onSaveRequest;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
