// Saves a picture of the started console after a few transactions with a test
// reader on a pseudo-terminal:  window_screenshot OUT.png [rows] [en|cn] [stats]
// With "stats", the picture is of the loop statistics window after a short loop.
// Run with QT_QPA_PLATFORM=offscreen on a machine without a display.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>
#include <cstdio>
#include <cstring>

#include "hollet/com_names.h"
#include "main_dialog.h"
#include "test_reader.h"
#include "window_fonts.h"
#include "window_view.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setFont(DialogFont());
    if (argc < 2) return 2;
    // The program folder is the build folder, above tests/; its settings stay as they are.
    SetAppFolder(ProgramFolder() + "/..");
    TestReader reader;
    reader.SetSilentFor(0x00);
    MainDialog dialog;
    dialog.SetMessageHandler(
        [](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });
    dialog.Create();
    if (argc > 3 && std::strcmp(argv[3], "en") == 0) View(dialog).Item<QRadioButton>(1098)->click();
    const int rows = argc > 2 ? std::atoi(argv[2]) : MainDialog::kRows;
    while (dialog.m_nRowCount > rows && dialog.m_nRowCount > 1)
        dialog.OnRemoveRow();

    View(dialog).Item<QComboBox>(1058)->setEditText(QStringLiteral("COM200"));
    dialog.OnCommand(1015);
    const char* commands[] = {"80 A4 04 00 02 3F 00", "80 CA 9F 7F 00", "00 B0 00 00 10"};
    for (int row = 0; row < 3; ++row)
        View(dialog)
            .Item<QLineEdit>(MainDialog::CommandId(row))
            ->setText(QString::fromLatin1(commands[row]));
    View(dialog).Item<QLineEdit>(MainDialog::TimeoutId(1))->setText(QStringLiteral("300"));
    for (int row : {0, 1, 2}) {
        dialog.OnSend(row);
        WaitForWorker(dialog);
    }
    QApplication::processEvents();
    QWidget* shown = &View(dialog);
    if (argc > 4 && std::strcmp(argv[4], "stats") == 0) {
        for (int row : {0, 1, 2})
            View(dialog).Item<QCheckBox>(MainDialog::LoopCheckId(row))->setChecked(true);
        dialog.OnCommand(1014);
        QDeadlineTimer loop(3000);
        while (!loop.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        dialog.OnCommand(1014);
        WaitForWorker(dialog);
        dialog.OnCommand(MainDialog::kStatisticsCommand);
        QApplication::processEvents();
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible() && window != &View(dialog)) shown = window;
    }
    const bool saved = shown->grab().save(QString::fromLocal8Bit(argv[1]));
    dialog.OnCommand(1015);
    return saved ? 0 : 1;
}
