#include "quillard/port_texts.h"

#include <gtest/gtest.h>

TEST(PortTexts, ComListEntriesReadBackAsTheirNumber)
{
    const struct {
        const char* name;
        const char* device;
        const char* entry;
        unsigned long number;
    } cases[] = {
        {"\\\\.\\COM3", "/dev/ttyS2", "COM3 (ttyS2)", 3},
        {"\\\\.\\COM200", "/dev/pts/7", "COM200 (pts/7)", 200},
        {"\\\\.\\COM5", "/home/me/ComPorts/COM5", "COM5 (/home/me/ComPorts/COM5)", 5},
        {"\\\\.\\COM40", "", "COM40", 40},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ComListEntryText(c.name, c.device), c.entry);
        EXPECT_EQ(ComNumberFromText(ComListEntryText(c.name, c.device)), c.number) << c.entry;
    }
    EXPECT_EQ(ComNumberFromText("12"), 12u);
    EXPECT_EQ(ComNumberFromText("port"), 0u);
}

TEST(PortTexts, LineSettingsLoseEveryBlank)
{
    EXPECT_EQ(LineSettingWithoutBlanks("19200, n,8,1"), "19200,n,8,1");
    EXPECT_EQ(LineSettingWithoutBlanks("115200,e,8,1"), "115200,e,8,1");
    EXPECT_EQ(LineSettingWithoutBlanks(" baud=9600 parity=n "), "baud=9600parity=n");
}

TEST(PortTexts, HidEntriesAndOpenMessages)
{
    EXPECT_EQ(HidEntryText(5), "Vemra HIDDevice ID: 5");
    EXPECT_EQ(HidIndexFromEntry(HidEntryText(12)), 12u);
    EXPECT_EQ(HidIndexFromEntry("7"), 7u);
    EXPECT_EQ(ComOpenFailedMessage(0), "Open COM 0 Failed！");
    EXPECT_EQ(HidOpenFailedMessage(3, 1), "Vemra HIDDevice ID: 3 Open failed!");
    EXPECT_EQ(HidOpenFailedMessage(3, 0), "Vemra HIDDevice ID: 3 打开失败！");
}
