// The rows quillard-run takes: expected replies, the row form, the ports of
// the command line, and the JUnit file made of their results.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_rows.h"
#include "junit_report.h"
#include "runner_options.h"
#include "text_escape.h"

namespace {

using ::testing::HasSubstr;

std::vector<unsigned char> Bytes(std::initializer_list<int> values)
{
    std::vector<unsigned char> bytes;
    for (int value : values)
        bytes.push_back(static_cast<unsigned char>(value));
    return bytes;
}

TEST(ExpectedReply, WildcardsPrefixesAndLengths)
{
    const struct Case {
        const char* pattern;
        std::vector<unsigned char> reply;
        bool matches;
    } cases[] = {
        {"9000", Bytes({0x90, 0x00}), true},
        {"90 00", Bytes({0x90, 0x00}), true},
        {"90 00", Bytes({0x90, 0x01}), false},
        {"9000", Bytes({0x90}), false},              // shorter
        {"9000", Bytes({0x90, 0x00, 0x00}), false},  // longer, without *
        {"61??", Bytes({0x61, 0x1C}), true},
        {"61??", Bytes({0x61}), false},  // ?? is one byte, not none
        {"??", Bytes({0x00}), true},
        {"6F*", Bytes({0x6F}), true},  // * may be nothing
        {"6F*", Bytes({0x6F, 0x12, 0x34}), true},
        {"6F*", Bytes({0x6E, 0x12}), false},
        {"6f 0a *", Bytes({0x6F, 0x0A, 0xFF}), true},  // case and blanks are free
        {"*", Bytes({0x01}), true},
        {"??*", Bytes({}), false},
        {"?? 00", Bytes({0x12, 0x00}), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        std::string error;
        const auto expected = ExpectedReply::Parse(c.pattern, error);
        ASSERT_TRUE(expected) << error;
        EXPECT_EQ(expected->Matches(c.reply), c.matches);
    }
    std::string error;
    EXPECT_EQ(ExpectedReply::Parse("6f0a??*", error)->Text(), "6F 0A ?? *");
    EXPECT_EQ(ExpectedReply::Parse(" * ", error)->Text(), "*");
}

// The row form "[ADDR:]CMD[@MS][=>REPLY]" and the rows that are refused.
TEST(RowText, TheExpectedReplyFollowsTheLastArrow)
{
    const struct Case {
        const char* text;
        const char* address;
        const char* command;
        unsigned long timeout;
        const char* expected;  // the pattern's text, or the error's start
        bool refused = false;
    } cases[] = {
        {"00A4040000=>9000", "", "00A4040000", 200, "90 00"},
        {"01:00B0@150=>61??", "01", "00B0", 150, "61 ??"},
        {"00B0@150", "", "00B0", 150, ""},
        {"a=>b=>90*", "", "a=>b", 200, "90 *"},  // a text command holding "=>"
        {"00B0=>", "", "", 0, "row: no reply after '=>'", true},
        {"00B0=>900", "", "", 0, "row: the reply after '=>' has an odd number", true},
        {"00B0=>9G00", "", "", 0, "row: the reply after '=>' holds '9G'", true},
        {"00B0=>90 00@150", "", "", 0, "row: the reply after '=>' holds '@1'", true},
        {"00B0@x=>9000", "", "", 0, "row: the reply time-out after '@'", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string error;
        const auto row = ParseRowText(c.text, 200, "row", error);
        if (c.refused) {
            EXPECT_FALSE(row);
            EXPECT_THAT(error, ::testing::StartsWith(c.expected));
            continue;
        }
        ASSERT_TRUE(row) << error;
        EXPECT_EQ(row->address, c.address);
        EXPECT_EQ(row->command, c.command);
        EXPECT_EQ(row->timeout, c.timeout);
        EXPECT_EQ(row->given, c.text);
        EXPECT_EQ(row->expect ? row->expect->Text() : "", c.expected);
    }
}

std::string PortsOf(const std::vector<std::string_view>& args, std::string& error)
{
    const ParsedOptions parsed = ParseRunnerOptions(args);
    error = parsed.error;
    std::string ports;
    for (const RunnerPort& port : parsed.options.ports)
        ports += PortName(port) + "(" + port.LineSetting(parsed.options) + " " +
                 std::to_string(port.CharTimeout(parsed.options)) + ") ";
    return ports;
}

// Ports given one by one and as ranges, each with the line setting and
// character time-out given after it, or the run's.
TEST(RunnerPorts, RangesAndTheSettingsOfEachPort)
{
    const struct Case {
        std::vector<std::string_view> args;
        const char* ports;
        const char* error = "";
    } cases[] = {
        {{"--com", "COM3-5", "--send", "A1"},
         "COM3(19200,n,8,1 30) COM4(19200,n,8,1 30) COM5(19200,n,8,1 30) "},
        {{"--settings", "9600,e,7,1", "--com", "3", "--com", "4", "--settings", "115200,n,8,1",
          "--char-timeout", "5", "--hid", "0", "--send", "A1"},
         "COM3(9600,e,7,1 30) COM4(115200,n,8,1 5) HID0(9600,e,7,1 30) "},
        // after a range: every port of it
        {{"--com", "1", "--com", "COM3-4", "--char-timeout", "1", "--send", "A1"},
         "COM1(19200,n,8,1 30) COM3(19200,n,8,1 1) COM4(19200,n,8,1 1) "},
        {{"--com", "3-4", "--com", "COM4", "--send", "A1"}, "", "COM4 is given twice"},
        {{"--com", "5-3", "--send", "A1"}, "", "--com: '5-3' is no range of at most 256 ports"},
        {{"--com", "1-300", "--send", "A1"}, "", "--com: '1-300' is no range"},
        {{"--com", "3-", "--send", "A1"}, "", "--com: '3-' is no COM port"},
        {{"--hid", "1-2", "--send", "A1"}, "", "--hid: '1-2' is no HID reader index"},
        {{"--com", "3", "--junit", "", "--send", "A1"}, "", "--junit needs a file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1]);
        std::string error;
        const std::string ports = PortsOf(c.args, error);
        EXPECT_THAT(error, ::testing::StartsWith(c.error));
        EXPECT_EQ(error.empty(), std::string(c.error).empty());
        if (error.empty()) {
            EXPECT_EQ(ports, c.ports);
        }
    }
}

TEST(TextEscape, JsonAndXmlHoldOnlyValidText)
{
    EXPECT_EQ(JsonString("a\"b\\c\n\x01"), "\"a\\\"b\\\\c\\n\\u0001\"");
    EXPECT_EQ(XmlText("<a href='x'>&\"</a>"), "&lt;a href=&apos;x&apos;&gt;&amp;&quot;&lt;/a&gt;");
    // GBK bytes that are no UTF-8, a lone continuation byte, a surrogate, an
    // overlong form: each taken as U+FFFD; Chinese in UTF-8 stays.
    EXPECT_EQ(ValidUtf8("\xC3\xFC|\x80|\xED\xA0\x80|\xC0\xAF|读"),
              "\xEF\xBF\xBD\xEF\xBF\xBD|\xEF\xBF\xBD|\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD|"
              "\xEF\xBF\xBD\xEF\xBF\xBD|读");
    EXPECT_EQ(XmlText("\x02"), "\xEF\xBF\xBD");
}

TEST(JUnitReport, SuitesCasesAndTheirCounts)
{
    RunReport report;
    RowReport passed{"00A4=>9000", "90 00", {}, std::nullopt, "90 00"};
    passed.summary.Add({TransactOutcome::kSuccess, std::chrono::milliseconds(250)});
    RowReport failed{"B0 & <x>", std::nullopt, {}, std::nullopt, std::nullopt};
    failed.summary.Add({TransactOutcome::kNoData, std::chrono::milliseconds(500)});
    failed.firstFailure = FirstFailure{"NO DATA", std::nullopt, std::nullopt};
    RowReport unsent{"A1", std::nullopt, {}, std::nullopt, std::nullopt};
    report.ports.push_back({"COM3", true, {}, {passed, failed, unsent}});
    report.ports.push_back({"COM4", false, "Open COM 4 Failed！", {unsent}});
    report.interrupted = true;
    const std::string xml = JUnitXml(report, "Direct");
    EXPECT_THAT(xml, HasSubstr("<testsuites name=\"quillard-run\" tests=\"4\" failures=\"1\" "
                               "errors=\"1\" skipped=\"1\" time=\"0.750\">"));
    EXPECT_THAT(xml, HasSubstr("<testsuite name=\"COM3\" tests=\"3\" failures=\"1\" errors=\"0\" "
                               "skipped=\"1\" time=\"0.750\">\n    <properties>\n"
                               "        <property name=\"interrupted\" value=\"true\"/>"));
    EXPECT_THAT(xml, HasSubstr("<testcase classname=\"Direct\" name=\"B0 &amp; &lt;x&gt;\" "
                               "time=\"0.500\">"));
    EXPECT_THAT(xml, HasSubstr("<failure message=\"NO DATA: 1 of 1 transactions failed (NO DATA "
                               "1)\" type=\"NO DATA\">"));
    EXPECT_THAT(xml, HasSubstr("<property name=\"round_trip_ms.p99\" value=\"250.000\"/>"));
    EXPECT_THAT(xml, HasSubstr("<skipped message=\"not sent\"/>"));
    EXPECT_THAT(xml, HasSubstr("<error message=\"Open COM 4 Failed！\" type=\"open\"/>"));
}

}  // namespace
