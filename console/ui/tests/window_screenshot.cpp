// Saves a picture of the started console: window_screenshot OUT.png [rows]
// Run with QT_QPA_PLATFORM=offscreen on a machine without a display.
#include <QApplication>
#include <QPixmap>

#include <cstdio>

#include "hollet/com_names.h"
#include "main_dialog.h"
#include "window_fonts.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setFont(DialogFont());
    if (argc < 2) return 2;
    // The program folder is the build folder, above tests/.
    SetAppFolder(ProgramFolder() + "/..");
    MainDialog dialog;
    dialog.SetMessageHandler(
        [](const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); });
    dialog.Create();
    const int rows = argc > 2 ? std::atoi(argv[2]) : MainDialog::kRows;
    while (dialog.m_nRowCount > rows && dialog.m_nRowCount > 1)
        dialog.OnRemoveRow();
    for (const char* line :
         {" OUT│ SUCCESS│            │ 01 02 03 ", "  IN│ SUCCESS│use     12ms│ 90 00 ",
          "──┼────┼──────┼─────────────────────────────────────────────────────────────────────────"
          "─────"})
        dialog.AppendLog(line);
    QApplication::processEvents();
    return dialog.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
