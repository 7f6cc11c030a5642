// The Windows desktop: the About entry and the window's other commands go into
// the window's real system menu, and the calculator is calc.exe.
#include <windows.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "platform_shell.h"

namespace {

constexpr int kAboutSysCommand = 16;

// Takes the system commands of the window's own entries out of its messages
// before the desktop acts on them; lives as long as the window.
class SystemMenuCommands : public QObject, public QAbstractNativeEventFilter {
public:
    SystemMenuCommands(QWidget& window, bool withAbout, std::vector<int> commands,
                       std::function<void(int)> onCommand)
        : QObject(&window),
          m_window(reinterpret_cast<HWND>(window.winId())),
          m_withAbout(withAbout),
          m_commands(std::move(commands)),
          m_onCommand(std::move(onCommand))
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~SystemMenuCommands() override
    {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override
    {
        if (eventType != "windows_generic_MSG") return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message != WM_SYSCOMMAND || msg->hwnd != m_window) return false;
        const int command = static_cast<int>(msg->wParam);
        // the desktop keeps the low four bits of a system command for itself
        if (m_withAbout && (command & 0xFFF0) == kAboutSysCommand) {
            m_onCommand(kAboutSysCommand);
        } else if (std::find(m_commands.begin(), m_commands.end(), command) != m_commands.end()) {
            m_onCommand(command);
        } else {
            return false;  // minimise, move, close: the desktop's own
        }
        if (result) *result = 0;
        return true;
    }

private:
    HWND m_window;
    bool m_withAbout;
    std::vector<int> m_commands;
    std::function<void(int)> m_onCommand;
};

}  // namespace

void StartCalculator()
{
    WinExec("calc.exe", SW_SHOW);
}

void InstallWindowMenu(QWidget& window, const QString& aboutText,
                       const std::vector<ShellMenuEntry>& entries,
                       std::function<void(int command)> onCommand)
{
    HMENU menu = GetSystemMenu(reinterpret_cast<HWND>(window.winId()), FALSE);
    if (!menu) return;
    const bool withAbout = !aboutText.isEmpty();
    if (withAbout) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, kAboutSysCommand,
                    reinterpret_cast<const wchar_t*>(aboutText.utf16()));
    }
    std::vector<int> commands;
    for (const ShellMenuEntry& entry : entries) {
        if (entry.text.isEmpty()) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(entry.command),
                    reinterpret_cast<const wchar_t*>(entry.text.utf16()));
        commands.push_back(entry.command);
    }
    new SystemMenuCommands(window, withAbout, std::move(commands), std::move(onCommand));
}
