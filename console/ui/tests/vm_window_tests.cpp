// The window's HID path on the kernel's own drivers, in the test machine of
// tools/vm-tests.sh: Search lists both readers (another HID device lies between
// them), Open takes the first, and a Send of row 1 goes out as an output report
// and logs the input report the reader answers with. The program runs from the
// program folder (Vemra_Test.ini, Protocols/Corvane.so beside it).
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

#include "main_dialog.h"
#include "uhid_device.h"
#include "window_view.h"

namespace {

using Bytes = UhidDevice::Bytes;

QString Hex(const Bytes& bytes)
{
    QString text;
    for (unsigned char byte : bytes)
        text += QStringLiteral("%1 ").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
    return text;
}

QStringList Items(QWidget* box)
{
    QStringList items;
    auto* combo = static_cast<QComboBox*>(box);
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

TEST(WindowOnRealDrivers, SearchOpenAndSendOverHid)
{
    UhidDevice first(0x10C4, 0x0007, "Vemra reader one");
    ASSERT_TRUE(WaitForHidrawInterfaces(1));
    UhidDevice other(0x046D, 0xC077, "Another HID device");
    ASSERT_TRUE(WaitForHidrawInterfaces(2));
    UhidDevice second(0x10C4, 0x0007, "Vemra reader two");
    ASSERT_TRUE(WaitForHidrawInterfaces(3));

    QStringList messages;
    auto dialog = std::make_unique<MainDialog>();
    dialog->SetMessageHandler(
        [&](const std::string& text) { messages << QString::fromStdString(text); });
    dialog->Create();
    EXPECT_TRUE(Items(View(*dialog).GetDlgItem(1058)).contains(QStringLiteral("COM2")));

    dialog->OnCommand(1091);  // Search
    EXPECT_EQ(Items(View(*dialog).GetDlgItem(1088)),
              (QStringList{"Vemra HIDDevice ID: 0", "Vemra HIDDevice ID: 2"}));
    dialog->OnCommand(1062);  // Open: the first listed
    ASSERT_TRUE(dialog->Hid().IsOpen()) << messages.join('\n').toStdString();
    char name[CxHid::kNameSize] = {};
    ASSERT_EQ(dialog->Hid().GetDevName(name), 1);
    EXPECT_STREQ(name, "/dev/hidraw0");

    Bytes report(64);
    for (std::size_t i = 0; i < report.size(); ++i)
        report[i] = static_cast<unsigned char>(0x90 + 7 * i);
    first.QueueInputReport(report);
    static_cast<QLineEdit*>(View(*dialog).GetDlgItem(1026))->setText(QStringLiteral("00 A4 04 00"));
    dialog->OnCommand(1003);  // Send, row 1
    ASSERT_TRUE(WaitForWorker(*dialog));

    const QStringList lines =
        static_cast<QPlainTextEdit*>(View(*dialog).GetDlgItem(1000))->toPlainText().split('\n');
    ASSERT_GE(lines.size(), 3) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(lines[0], QStringLiteral(" OUT│ SUCCESS│            │ 00 A4 04 00 "));
    // 1024 bytes: the report's 64, then the zeros of the cleared input buffer.
    Bytes shown = report;
    shown.resize(1024, 0);
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("  IN│ SUCCESS│use ")))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("ms│ ") + Hex(shown)))
        << lines[1].left(120).toStdString();
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("──┼────┼──────┼───")));

    const auto received = first.WaitForOutput(1);
    ASSERT_EQ(received.size(), 1u);
    Bytes sent(65, 0);
    sent[2] = 0xA4;
    sent[3] = 0x04;
    EXPECT_EQ(received[0].data, sent);
    EXPECT_TRUE(second.WaitForOutput(1, std::chrono::milliseconds(100)).empty());
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();

    dialog->OnCommand(1062);  // Close
    EXPECT_FALSE(dialog->Hid().IsOpen());
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
