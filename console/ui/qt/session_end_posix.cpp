// The signals reach the window thread through a pipe that is made once and
// never closed, since a handler may write to it at any moment; a second
// SIGTERM while the first is being served only adds a byte.
#include <fcntl.h>
#include <unistd.h>

#include <QEvent>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <mutex>
#include <vector>

#include "session_end.h"

namespace {

// Ctrl+C in the terminal that started the window ends it as a log-out does.
constexpr int kSessionEndSignals[] = {SIGTERM, SIGHUP, SIGINT};

int g_pipe[2] = {-1, -1};
std::once_flag g_pipeMade;
std::vector<SessionEndWatcher*> g_watchers;  // window thread only; the last is told
struct sigaction g_previous[std::size(kSessionEndSignals)];

void OnSessionEndSignal(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already holds a wake-up.
    [[maybe_unused]] const ssize_t written = write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

bool MakePipe()
{
    std::call_once(g_pipeMade, [] {
        if (pipe2(g_pipe, O_NONBLOCK | O_CLOEXEC) != 0) g_pipe[0] = g_pipe[1] = -1;
    });
    return g_pipe[0] >= 0;
}

// True when a signal came since the last drain.
bool DrainPipe()
{
    char drained[64];
    bool signalled = false;
    while (read(g_pipe[0], drained, sizeof drained) > 0)
        signalled = true;
    return signalled;
}

void CatchSignals()
{
    struct sigaction action {};
    action.sa_handler = OnSessionEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(kSessionEndSignals); ++i)
        sigaction(kSessionEndSignals[i], &action, &g_previous[i]);
}

// With no window left, the signals end the program as before.
void ReleaseSignals()
{
    for (std::size_t i = 0; i < std::size(kSessionEndSignals); ++i)
        sigaction(kSessionEndSignals[i], &g_previous[i], nullptr);
}

}  // namespace

SessionEndWatcher::SessionEndWatcher(std::function<void()> onEnd,
                                     std::function<void()> onSaveRequest)
    : m_onEnd(std::move(onEnd)), m_onSaveRequest(std::move(onSaveRequest))
{
    if (MakePipe()) {
        m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
        // Each watcher's notifier sees the pipe; whichever drains it tells the
        // watcher made last.
        connect(m_notifier.get(), &QSocketNotifier::activated, this, [] {
            if (DrainPipe() && !g_watchers.empty()) g_watchers.back()->m_onEnd();
        });
        if (g_watchers.empty()) {
            DrainPipe();  // what came for a window before this one is not for this one
            CatchSignals();
        }
    }
    g_watchers.push_back(this);
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        application->installEventFilter(this);
        connect(application, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
            if (IsTold()) m_onSaveRequest();
        });
    }
}

SessionEndWatcher::~SessionEndWatcher()
{
    std::erase(g_watchers, this);
    if (m_notifier && g_watchers.empty()) ReleaseSignals();
}

bool SessionEndWatcher::IsTold() const
{
    return !g_watchers.empty() && g_watchers.back() == this;
}

bool SessionEndWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Quit && watched == QCoreApplication::instance() && IsTold()) {
        m_onEnd();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
