#include "reply_table.h"

#include <gtest/gtest.h>

TEST(ReplyTable, FirstMatchingRuleAnswersElseTheDefault)
{
    std::string error;
    const auto table = ReplyTable::Parse(
        "# a reader\n"
        "00 A4 04 00 => 90 00\r\n"
        "80ca *      => 6A 82 delay=50 gap=2\n"
        "00 B0       => none\n"
        "FF *        => echo\n"
        "*           => 6F 00\n",
        error);
    ASSERT_TRUE(table) << error;
    const struct {
        Bytes request;
        Bytes bytes;
        bool silent;
        int delay;
        int gap;
    } cases[] = {
        {{0x00, 0xA4, 0x04, 0x00}, {0x90, 0x00}, false, 0, 0},
        {{0x00, 0xA4, 0x04}, {0x6F, 0x00}, false, 0, 0},  // exact rules need the whole request
        {{0x80, 0xCA, 0x9F, 0x7F}, {0x6A, 0x82}, false, 50, 2},
        {{0x00, 0xB0}, {}, true, 0, 0},
        {{0xFF, 0x00, 0x0A, 0x0D}, {0xFF, 0x00, 0x0A, 0x0D}, false, 0, 0},
    };
    for (const auto& c : cases) {
        const Reply reply = table->Answer(c.request);
        EXPECT_EQ(reply.bytes, c.bytes) << HexText(c.request);
        EXPECT_EQ(reply.silent, c.silent) << HexText(c.request);
        EXPECT_EQ(reply.delayMs, c.delay) << HexText(c.request);
        EXPECT_EQ(reply.gapMs, c.gap) << HexText(c.request);
    }
    ReplyTable empty = *ReplyTable::Parse("", error);
    EXPECT_EQ(empty.Answer({0x01}).bytes, (Bytes{0x90, 0x00}));
    empty.SetDefault({{}, true});
    EXPECT_EQ(empty.Answer({0x01, 0x02}).bytes, (Bytes{0x01, 0x02}));
}

TEST(ReplyTable, BadLinesAreNamed)
{
    for (const char* text : {"00 A4 90 00", "0G => 90", "00 => 9", "=> 90 00"}) {
        std::string error;
        EXPECT_FALSE(ReplyTable::Parse(text, error)) << text;
        EXPECT_EQ(error.rfind("line 1: ", 0), 0u) << text;
    }
}
