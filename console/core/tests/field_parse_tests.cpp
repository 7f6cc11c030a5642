#include "quillard/field_parse.h"

#include <gtest/gtest.h>

#include <climits>

TEST(ParseUnsignedField, AcceptsWhatTheDataExchangeAccepts)
{
    const struct {
        const char* text;
        std::optional<std::uint32_t> value;
    } cases[] = {
        {"0", 0u},
        {"200", 200u},
        {"  30\t", 30u},
        {"+5", 5u},
        {"4294967295", 4294967295u},
        {"4294967296", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"-1", std::nullopt},
        {"12a", std::nullopt},
        {"1 2", std::nullopt},
        {"0x10", std::nullopt},
        {"+", std::nullopt},
        {"99999999999999999999", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseUnsignedField(c.text), c.value) << '"' << c.text << '"';
    EXPECT_EQ(RangeMessage(1, 100000), "Please enter an integer between 1 and 100000.");
}

TEST(NumberAfterLeading, PortTextsAndReaderEntries)
{
    const struct {
        const char* text;
        const char* skipped;
        unsigned long number;
    } cases[] = {
        {"COM12", "COM", 12},
        {"12", "COM", 12},
        {"COMX", "COM", 0},
        {"COM3 (ttyS2)", "COM", 3},
        {"MOC7", "COM", 7},
        {"", "COM", 0},
        {"com5", "COM", 0},
        {"COM99999999999999999999", "COM", ULONG_MAX},
        {"Vemra HIDDevice ID: 5", "Vemra HIDDevice ID: ", 5},
        {"Vemra HIDDevice ID: 12x", "Vemra HIDDevice ID: ", 12},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NumberAfterLeading(c.text, c.skipped), c.number) << c.text;
}
