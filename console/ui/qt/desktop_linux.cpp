#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>

#include "desktop.h"

void StartCalculator()
{
    static const char* const kCalculators[] = {"gnome-calculator", "kcalc",         "mate-calc",
                                               "galculator",       "qalculate-gtk", "xcalc"};
    for (const char* name : kCalculators) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!program.isEmpty() && QProcess::startDetached(program, {})) return;
    }
}

void InstallWindowMenu(QWidget& window, std::function<std::vector<MenuEntry>()> entries,
                       std::function<void(int command)> onCommand)
{
    window.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&window, &QWidget::customContextMenuRequested, &window,
                     [&window, entries, onCommand](const QPoint& at) {
                         QMenu menu(&window);
                         for (const MenuEntry& entry : entries()) {
                             if (entry.text.empty()) {
                                 // a separator between entries, none at either end
                                 if (!menu.isEmpty()) menu.addSeparator();
                                 continue;
                             }
                             const int command = entry.command;
                             QObject::connect(menu.addAction(QString::fromStdString(entry.text)),
                                              &QAction::triggered,
                                              [onCommand, command] { onCommand(command); });
                         }
                         if (!menu.isEmpty()) menu.exec(window.mapToGlobal(at));
                     });
}
