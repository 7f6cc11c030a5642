#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>

#include "platform_shell.h"

void StartCalculator()
{
    static const char* const kCalculators[] = {"gnome-calculator", "kcalc",         "mate-calc",
                                               "galculator",       "qalculate-gtk", "xcalc"};
    for (const char* name : kCalculators) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!program.isEmpty() && QProcess::startDetached(program, {})) return;
    }
}

void InstallWindowMenu(QWidget& window, const QString& aboutText,
                       const std::vector<ShellMenuEntry>& entries,
                       std::function<void(int command)> onCommand)
{
    if (aboutText.isEmpty() && entries.empty()) return;
    window.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&window, &QWidget::customContextMenuRequested, &window,
                     [&window, aboutText, entries, onCommand](const QPoint& at) {
                         QMenu menu(&window);
                         if (!aboutText.isEmpty()) {
                             QObject::connect(menu.addAction(aboutText), &QAction::triggered,
                                              [onCommand] { onCommand(16); });
                         }
                         for (const ShellMenuEntry& entry : entries) {
                             if (entry.text.isEmpty()) {
                                 menu.addSeparator();
                                 continue;
                             }
                             const int command = entry.command;
                             QObject::connect(menu.addAction(entry.text), &QAction::triggered,
                                              [onCommand, command] { onCommand(command); });
                         }
                         menu.exec(window.mapToGlobal(at));
                     });
}
