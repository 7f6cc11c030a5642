// The desktop session ends under a running window: SIGTERM, SIGHUP and the
// desktop's quit request close it the way its close box does, once, and
// nothing typed since the last tab change is lost.
#include <QCheckBox>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <filesystem>
#include <functional>

#include "started_window.h"

namespace {

struct SessionEnd {
    const char* name;
    std::function<void()> send;
};

const SessionEnd kSessionEnds[] = {
    {"SIGTERM", [] { std::raise(SIGTERM); }},
    {"SIGHUP", [] { std::raise(SIGHUP); }},
    {"SIGINT", [] { std::raise(SIGINT); }},
    {"two SIGTERMs at once", [] { std::raise(SIGTERM), std::raise(SIGTERM); }},
    {"the desktop's quit request",
     [] {
         QEvent quit(QEvent::Quit);
         QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
     }},
};

// Types `text` into control `id`, as a user does.
void Type(StartedWindow& window, int id, const QString& text)
{
    QTest::keyClicks(window.Edit(id), text);
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

}  // namespace

class SessionEndTests : public QObject {
    Q_OBJECT

private slots:
    // The rows typed, the language chosen: saved, the window closed; what is
    // written after the save is not overwritten by a second one, neither by
    // another end nor when the window goes.
    void savesWhatTheCloseSavesOnce()
    {
        for (const SessionEnd& end : kSessionEnds) {
            auto window = std::make_unique<StartedWindow>();
            Type(*window, 1026, QStringLiteral("0a0b"));
            Type(*window, 1027, QStringLiteral("C0"));
            QTest::mouseClick(View(*window->dialog).GetDlgItem(1098), Qt::LeftButton);
            end.send();
            QTRY_VERIFY2(!View(*window->dialog).isVisible(), end.name);
            const std::string history = window->folder.Read(kHistoryFileName);
            QVERIFY2(Contains(history, "[szProtocolName0]\r\nCMD0=0A0B\r\nCMD1=C0\r\nCMD2=\r\n"),
                     end.name);
            QVERIFY2(Contains(window->folder.Read(kSettingsFileName), "szLanguage=EN"), end.name);

            window->folder.Write(kHistoryFileName, "changed since");
            end.send();
            QTest::qWait(20);
            window->dialog.reset();
            QCOMPARE(window->folder.Read(kHistoryFileName), std::string("changed since"));
            QVERIFY2(window->messages.isEmpty(), end.name);
        }
    }

    // The session ends while the start-up's message (no COM port) is shown,
    // before the settings are read: nothing is written, neither the language
    // the window had yet to read nor empty rows.
    void savesNothingBeforeTheSettingsAreRead()
    {
        for (const bool ending : {false, true}) {
            TestProgramFolder folder;
            folder.Write(kSettingsFileName, kTwoProtocols);  // in English
            std::filesystem::create_directories(folder.Path("sys"));
            SetDefaultComPortRoots({.devFolder = folder.Path("dev"),
                                    .sysTtyFolder = folder.Path("sys"),
                                    .linkFolder = folder.Path("links")});
            auto dialog = std::make_unique<MainDialog>();
            QStringList messages;
            dialog->SetMessageHandler([&](const std::string& text) {
                messages << QString::fromStdString(text);
                dialog->OnEndSession(ending);
            });
            dialog->Create();
            QCOMPARE(messages, QStringList{"Cannot Find any available COM port!\n"});
            if (!ending) QTest::keyClicks(View(*dialog).GetDlgItem(1026), "0A");
            View(*dialog).reject();  // the close box
            dialog.reset();
            SetDefaultComPortRoots({});
            QCOMPARE(folder.Read(kSettingsFileName), std::string(kTwoProtocols));
            // a session that went on saves at its close what it read and typed
            QCOMPARE(folder.Read(kHistoryFileName).find("CMD0=0A\r\n") != std::string::npos,
                     !ending);
        }
    }

    // A loop running at the end is stopped first, its worker ended with the
    // window, and the rows are saved; a time-out edit that fails the exchange
    // shows no message (no one may be there to answer it).
    void stopsARunningLoopAndShowsNoMessage()
    {
        StartedWindow window;
        QVERIFY(window.OpenReaderPort());
        Type(window, 1026, QStringLiteral("01"));
        View(*window.dialog).Item<QCheckBox>(MainDialog::LoopCheckId(0))->setChecked(true);
        window.dialog->OnCommand(1014);
        QVERIFY(window.dialog->GetLooping());
        QTRY_VERIFY(window.LogText().contains(QStringLiteral(" OUT│")));
        window.Edit(1037)->setText(QStringLiteral("x"));  // row 2's time-out

        std::raise(SIGTERM);
        QTRY_VERIFY(!View(*window.dialog).isVisible());
        QVERIFY(!window.dialog->GetLooping());
        QVERIFY(!window.dialog->Comm().IsOpen());
        QVERIFY(window.messages.isEmpty());
        QVERIFY(Contains(window.folder.Read(kHistoryFileName), "CMD0=01\r\n"));
        window.dialog.reset();  // the worker is waited for
    }

    // A box open on top of the window is ended, so that the program can end.
    void endsTheBoxOnTop()
    {
        StartedWindow window;
        Type(window, 1026, QStringLiteral("A1"));
        QTimer::singleShot(100, [] { std::raise(SIGTERM); });
        window.dialog->OnSysCommand(16);  // the About box, modal until it is ended
        QVERIFY(!View(*window.dialog).isVisible());
        QVERIFY(Contains(window.folder.Read(kHistoryFileName), "CMD0=A1\r\n"));
    }

    // Asked to save while the session may go on: saved without a message, and
    // the window goes on as it was, its messages too; its close later saves
    // what was typed since.
    void savesAndGoesOnWhenOnlyAsked()
    {
        StartedWindow window;
        Type(window, 1026, QStringLiteral("01"));
        window.Edit(1036)->setText(QStringLiteral("x"));
        window.dialog->OnEndSession(false);
        QVERIFY(View(*window.dialog).isVisible());
        QVERIFY(Contains(window.folder.Read(kHistoryFileName), "CMD0=01\r\n"));
        QVERIFY(window.messages.isEmpty());
        window.dialog->OnCommand(1003);  // Send: the time-out's message
        QCOMPARE(window.messages.size(), 1);

        window.Edit(1036)->setText(QStringLiteral("200"));
        Type(window, 1026, QStringLiteral("02"));
        View(*window.dialog).reject();
        QVERIFY(Contains(window.folder.Read(kHistoryFileName), "CMD0=0102\r\n"));
    }
};

int RunSessionEndTests(int argc, char** argv)
{
    SessionEndTests tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "session_end_tests.moc"
