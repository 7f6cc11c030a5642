// A started main window in a program folder of its own, whose message boxes
// and quit requests are recorded instead of shown.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>
#include <memory>

#include "main_dialog.h"
#include "program_folder.h"
#include "test_reader.h"
#include "window_view.h"

// The example catalogue in Chinese.
inline std::string ChineseCatalogue()
{
    std::string settings = kTwoProtocols;
    settings.replace(settings.find("szLanguage=EN"), 13, "szLanguage=CN");
    return settings;
}

struct StartedWindow {
    // The COM list holds the test reader as COM200.
    explicit StartedWindow(const std::string& settings = ChineseCatalogue(),
                           const std::string& history = {}, bool readerHoldsLine = true,
                           TestReader::Bytes readerReply = {0x90, 0x00})
        : reader(std::make_unique<TestReader>(std::move(readerReply), readerHoldsLine))
    {
        if (!settings.empty()) folder.Write(kSettingsFileName, settings);
        if (!history.empty()) folder.Write(kHistoryFileName, history);
        dialog = std::make_unique<MainDialog>();
        dialog->SetMessageHandler(
            [this](const std::string& text) { messages << QString::fromStdString(text); });
        dialog->Create();
    }
    QLineEdit* Edit(int id) { return View(*dialog).Item<QLineEdit>(id); }
    QString LogText() { return View(*dialog).Item<QPlainTextEdit>(1000)->toPlainText(); }

    // Opens the test reader's port from the window.
    bool OpenReaderPort()
    {
        View(*dialog).Item<QComboBox>(1058)->setEditText(QStringLiteral("COM200"));
        dialog->OnCommand(1015);
        return dialog->Comm().IsOpen() != 0;
    }

    TestProgramFolder folder;
    std::unique_ptr<TestReader> reader;
    std::unique_ptr<MainDialog> dialog;
    QStringList messages;
};

// Runs a QObject test class; the test program runs each of its classes.
int RunMainDialogTests(int argc, char** argv);
int RunProtocolTabTests(int argc, char** argv);
int RunPortLoopTests(int argc, char** argv);
int RunSimReaderTests(int argc, char** argv);
int RunFaultTests(int argc, char** argv);
int RunHexEditGbkTests(int argc, char** argv);
int RunTextFitTests(int argc, char** argv);
int RunWindowFaultTests(int argc, char** argv);
int RunSessionEndTests(int argc, char** argv);
