// quillard-run as a user runs it: the real program, a program folder of the
// test's own, and the simulated reader behind COM200.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <sstream>

#include "child_process.h"
#include "program_folder.h"
#include "quillard/log_texts.h"
#include "sim_reader_process.h"

namespace {

using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using namespace std::chrono_literals;

// A3 is never answered, B2 gets 6A 82; every other request gets 90 00. (The
// test plug-ins send the command text's bytes as they are: "00" goes out as
// 30 30.)
constexpr const char* kReaderTable = "A3 => none\nB2 => 6A 82\n* => 90 00\n";

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

// The round trip of an IN line, or -1.
int RoundTripOf(const std::string& line)
{
    const auto at = line.find("│use ");
    return at == std::string::npos ? -1 : std::stoi(line.substr(at + std::strlen("│use "), 6));
}

// The lines with the round-trip figure blanked, which a test cannot know.
std::vector<std::string> WithoutTimes(std::vector<std::string> lines)
{
    for (std::string& line : lines) {
        const auto at = line.find("│use ");
        if (at != std::string::npos) line.replace(at + std::strlen("│use "), 6, "     T");
    }
    return lines;
}

class RunnerTest : public ::testing::Test {
protected:
    RunnerTest()
    {
        folder.Write(kSettingsFileName, kTwoProtocols);
        folder.Write(kHistoryFileName, "[szProtocolName0]\nCMD0=00 B0\nCMD1=\nCMD2=A1\n");
        folder.Write("命令.txt", "# two rows\n\n00A4@150\r\n   \nA3@40\n");
        std::filesystem::create_directory(folder.Path("broken"));
        folder.Write("broken/Vemra_Test.ini", "[Setting]\nszLanguage=EN\n");
        std::filesystem::create_directory(folder.Path("absent"));
        folder.Write("absent/Vemra_Test.ini",
                     "[Setting]\nnProtocolCount=1\nszProtocolName0=Gone\n"
                     "[szProtocolName0]\nszDllName=Absent.dll\nnDevCount=0\n");
    }

    std::string Folder() const { return folder.Path("."); }
    std::string Plugin(const std::string& name) const
    {
        return folder.Path("Protocols/" + name + kNativeLibrarySuffix);
    }
    std::vector<std::string> Command(const std::vector<std::string>& args) const
    {
        std::vector<std::string> argv = {QUILLARD_RUN_PATH, "--folder", Folder()};
        argv.insert(argv.end(), args.begin(), args.end());
        return argv;
    }

    TestProgramFolder folder;
    SimReaderProcess reader{Folder(), kReaderTable};
};

const std::string kSep = log_texts::kSeparator;
const std::string kOutA3 = " OUT│ SUCCESS│            │ A3 ";
const std::string kNoData = "  IN│ NO DATA│use      Tms│ ...";

TEST_F(RunnerTest, TheLogLinesOfEachOutcomeOnStdout)
{
    ASSERT_TRUE(reader.Started());
    const struct Case {
        const char* name;
        std::vector<std::string> args;
        std::vector<std::string> lines;
        int exitCode;
    } cases[] = {
        {"a send",
         {"--com", "COM200", "--send", "00 A4 04 00"},
         {" OUT│ SUCCESS│            │ 00 A4 04 00 ", "  IN│ SUCCESS│use      Tms│ 90 00 ", kSep},
         0},
        {"an address",
         {"--com", "200", "--protocol", "Bus", "--send", "0 1:A4"},
         {" OUT│ SUCCESS│            │ 01 A4 ", "  IN│ SUCCESS│use      Tms│ 90 00 ", kSep},
         0},
        {"no data", {"--com", "200", "--send", "A3@120"}, {kOutA3, kNoData, kSep}, 1},
        {"length error from the check",
         {"--com", "200", "--plugin", Plugin("Check2"), "--send", "00"},
         {" OUT│ SUCCESS│            │ 30 30 ", "  IN│ LEN ERR│use      Tms│ 90 00 ", kSep},
         1},
        {"reply longer than read",
         {"--com", "200", "--plugin", Plugin("Garbage"), "--send", "00"},
         {" OUT│ SUCCESS│            │ 30 30 ", "  IN│ LEN ERR│use      Tms│ ...", kSep},
         1},
        {"block check error",
         {"--com", "200", "--plugin", Plugin("Check3"), "--text", "--send", "A"},
         {" OUT│ SUCCESS│            │ 41 ", "  IN│ BCC ERR│use      Tms│ 90 00 ", kSep},
         1},
        {"the history's rows with a command",
         {"--com", "200", "--history"},
         {" OUT│ SUCCESS│            │ 00 B0 ", "  IN│ SUCCESS│use      Tms│ 90 00 ", kSep,
          " OUT│ SUCCESS│            │ A1 ", "  IN│ SUCCESS│use      Tms│ 90 00 ", kSep},
         0},
        {"a rows file, then a send",
         {"--com", "200", "--rows", folder.Path("命令.txt"), "--send", "A1"},
         {" OUT│ SUCCESS│            │ 00 A4 ", "  IN│ SUCCESS│use      Tms│ 90 00 ", kSep, kOutA3,
          kNoData, kSep, " OUT│ SUCCESS│            │ A1 ", "  IN│ SUCCESS│use      Tms│ 90 00 ",
          kSep},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ChildProcess run(Command(c.args));
        EXPECT_EQ(run.Finish(), c.exitCode) << run.err;
        const std::vector<std::string> lines = Lines(run.out);
        EXPECT_THAT(WithoutTimes(lines), ElementsAreArray(c.lines));
        for (const std::string& line : lines) {
            // the shortest wait for a reply above is 40 ms
            if (line.find("NO DATA") != std::string::npos) {
                EXPECT_GE(RoundTripOf(line), 40);
            }
            EXPECT_LT(RoundTripOf(line), 5000);
        }
        EXPECT_THAT(run.err, HasSubstr("transactions: "));
    }
}

TEST_F(RunnerTest, OptionsRowsAndFailuresGiveTheirMessageAndExitCode)
{
    ASSERT_TRUE(reader.Started());
    const std::string absentPlugin = folder.Path("nowhere/Reader.so");
    const struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string stderrHas;
        std::string stdoutHas = {};
    } cases[] = {
        {{"--help"}, 0, "", "--com N|COMn"},
        {{"--version"}, 0, "", "quillard-run 0.1"},
        {{"--list"}, 0, "", "COM200 (pts/"},
        {{"--com", "200", "--send", "A1", "--loop", "3"}, 0, "SUCCESS: 3"},
        {{"--com", "200", "--send", "A3@30", "--send", "A1", "--loop", "3", "--stop-on-error"},
         1,
         "transactions: 1\nSUCCESS: 0\nNO DATA: 1\n"},
        {{"--bogus"}, 2, "quillard-run: unknown option '--bogus'\nTry 'quillard-run --help'."},
        {{"--com"}, 2, "--com needs a value"},
        {{"--com", "two", "--send", "A1"}, 2, "'two' is no COM port"},
        {{"--com", "200", "--com", "COM200", "--send", "A1"}, 2, "COM200 is given twice"},
        {{"--com", "200", "--send", "A1=>9"}, 2, "--send 'A1=>9': the reply after '=>' has an odd"},
        {{"--send", "A1"}, 2, "no port: give --com N, --hid INDEX or --list"},
        {{"--com", "200"}, 2, "nothing to send"},
        {{"--com", "200", "--char-timeout", "0", "--send", "A1"},
         2,
         "--char-timeout: Please enter an integer between 1 and 100000."},
        {{"--com", "200", "--loop", "0", "--send", "A1"}, 2, "--loop: Please enter an integer"},
        // a line setting that the port cannot take is the command line's fault
        {{"--com", "200", "--settings", "foo", "--send", "A1"},
         2,
         "--settings: 'foo' is no line setting"},
        {{"--com", "200", "--settings", "9600, n,8", "--send", "A1"},
         2,
         "--settings: '9600, n,8' is no line setting"},
        {{"--com", "200", "--for", "soon", "--send", "A1"}, 2, "--for: 'soon'"},
        {{"--com", "200", "--addr-len", "1", "--send", "A1"}, 2, "go with --plugin"},
        {{"--com", "200", "--plugin", Plugin("Check2"), "--history"}, 2, "--history needs"},
        {{"--com", "200", "--lang", "fr", "--send", "A1"}, 2, "--lang: give en or cn"},
        {{"--com", "200", "--send", "ABC"},
         2,
         "--send 'ABC': Command format fault, Appear odd valid characters, Please Check input!"},
        {{"--com", "200", "--send", "ABC", "--lang", "cn"},
         2,
         "命令格式错误, 出现奇数个有效字符, 请检查输入!"},
        {{"--com", "200", "--send", "  "}, 2, "Command cannot be empty, please input!"},
        {{"--com", "200", "--protocol", "1", "--send", "A1"},
         2,
         "Address length error, Need 1 bytes!"},
        {{"--com", "200", "--send", "A1@soon"}, 2, "Please enter a positive integer."},
        {{"--com", "200", "--rows", folder.Path("none.txt")}, 2, "none.txt: cannot be read"},
        {{"--com", "200", "--protocol", "Ring", "--send", "A1"}, 2, "no protocol 'Ring' in "},
        {{"--folder", folder.Path("broken"), "--com", "200", "--send", "A1"},
         2,
         "Vemra_Test.ini error!"},
        {{"--folder", folder.Path("absent"), "--com", "200", "--send", "A1"},
         3,
         "Can't load " + folder.Path("absent") +
             "/Protocols/Absent.dll!\nLoad Absent.dll Faild!!!"},
        {{"--com", "200", "--plugin", absentPlugin, "--send", "A1"},
         3,
         "Can't load " + absentPlugin + "!\nLoad " + absentPlugin + " Faild!!!"},
        {{"--com", "200", "--plugin", Plugin("NoUnwrap"), "--send", "A1"},
         3,
         "Function: tlx_ReaderToPC can't be found."},
        {{"--com", "201", "--send", "A1"}, 3, "Open COM 201 Failed！"},
        {{"--com", "201", "--send", "A1", "--json"},
         3,
         "\"opened\":false,\"error\":\"Open COM 201"},
        {{"--hid", "4000", "--send", "A1", "--lang", "en"},
         3,
         "Vemra HIDDevice ID: 4000 Open failed!"},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& arg : c.args)
            shown += arg + " ";
        SCOPED_TRACE(shown);
        ChildProcess run(Command(c.args));
        EXPECT_EQ(run.Finish(), c.exitCode) << run.err;
        EXPECT_THAT(run.err, HasSubstr(c.stderrHas));
        EXPECT_THAT(run.out, HasSubstr(c.stdoutHas));
        if (c.exitCode >= 2 && c.stdoutHas.empty()) {
            EXPECT_THAT(run.out, ::testing::IsEmpty());
        }
    }
}

// A plug-in given by a bare name is that file in the current folder, as the
// help says, and not a library of that name the loader could find elsewhere.
TEST_F(RunnerTest, APluginGivenByNameIsAFileOfTheCurrentFolder)
{
    ASSERT_TRUE(reader.Started());
    const std::string plugin = std::string("PassThrough") + kNativeLibrarySuffix;
    const struct {
        const char* name;
        std::string currentFolder;
        int exitCode;
        const char* stderrHas;
    } cases[] = {
        {"the plug-in is in the current folder", folder.Path("Protocols"), 0, "transactions: "},
        {"it is only on the loader's search path", Folder(), 3, "Can't load PassThrough"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> argv = {"/usr/bin/env", "-C", c.currentFolder,
                                         "LD_LIBRARY_PATH=" + folder.Path("Protocols")};
        for (const std::string& arg : Command({"--com", "200", "--plugin", plugin, "--send", "00"}))
            argv.push_back(arg);
        ChildProcess run(argv);
        EXPECT_EQ(run.Finish(), c.exitCode) << run.err;
        EXPECT_THAT(run.err, HasSubstr(c.stderrHas));
    }
}

TEST_F(RunnerTest, AThousandPassesAgainstAPromptReaderAreCountedInTheSummary)
{
    ASSERT_TRUE(reader.Started());
    // The reader answers at once; the long time-out only keeps a loaded
    // machine that holds the reader back a moment from counting NO DATA.
    ChildProcess run(Command({"--com", "200", "--char-timeout", "1", "--send", "A1@3000", "--loop",
                              "1000", "--quiet", "--json"}));
    EXPECT_EQ(run.Finish(), 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_THAT(run.err, HasSubstr("{\"transactions\":1000,\"outcomes\":{\"SUCCESS\":1000,"
                                   "\"NO DATA\":0,"));
    EXPECT_THAT(run.err, HasSubstr("\"round_trip_ms\":{\"timed\":1000,\"min\":"));
    EXPECT_THAT(run.err, HasSubstr("\"interrupted\":false,\"exit_code\":0}\n"));
    EXPECT_EQ(reader.Requests(1000), 1000u);

    // two rows a pass, one never answered
    ChildProcess mixed(Command({"--com", "200", "--char-timeout", "1", "--send", "A1@3000",
                                "--send", "A3@20", "--loop", "5"}));
    EXPECT_EQ(mixed.Finish(), 1);
    EXPECT_EQ(Lines(mixed.out).size(), 30u);
    EXPECT_THAT(mixed.err, HasSubstr("transactions: 10\nSUCCESS: 5\nNO DATA: 5\nLEN ERR: 0\n"));
    EXPECT_THAT(mixed.err, HasSubstr("(10 timed)"));
}

// The reader goes away in the middle of a timed run: the port looks for it
// only a few times a second and the loop waits between the looks, so the log
// gets a few failed transactions a second, not hundreds; stderr says why.
TEST_F(RunnerTest, AReaderThatHasGoneIsLookedForAFewTimesASecond)
{
    ASSERT_TRUE(reader.Started());
    ChildProcess run(Command(
        {"--com", "200", "--char-timeout", "1", "--send", "A1", "--send", "A1@20", "--for", "3"}));
    ASSERT_TRUE(run.ReadUntil(
        [](const std::string& out) { return out.find("SUCCESS│use") != std::string::npos; }, 10s));
    const auto killed = std::chrono::steady_clock::now();
    reader.Kill();
    EXPECT_EQ(run.Finish(20s), 1) << run.err;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - killed).count();
    const auto lines = Lines(run.out);
    const auto firstFailure = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
        return l.find("WRIT ERR") != std::string::npos || l.find("NO DATA") != std::string::npos;
    });
    ASSERT_NE(firstFailure, lines.end());
    const auto failed = std::count(firstFailure, lines.end(), kSep);
    // two rows every 300 ms at most: about 7 a second
    EXPECT_LE(failed, static_cast<long>(10 * seconds) + 4) << failed << " in " << seconds << " s";
    EXPECT_THAT(run.err, HasSubstr("COM200: the device has gone; it is looked for again every "
                                   "300 ms\n"));
}

TEST_F(RunnerTest, TimestampsPrefixEveryLine)
{
    ASSERT_TRUE(reader.Started());
    ChildProcess run(Command({"--com", "200", "--send", "A1", "--timestamps"}));
    EXPECT_EQ(run.Finish(), 0);
    const std::regex stamped(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} ( OUT│|  IN│|──┼).*)");
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 3u);
    for (const std::string& line : lines)
        EXPECT_TRUE(std::regex_match(line, stamped)) << line;
}

TEST_F(RunnerTest, AnInterruptEndsTheRunAfterTheTransactionUnderWay)
{
    ASSERT_TRUE(reader.Started());
    ChildProcess run(Command({"--com", "200", "--send", "A1", "--send", "A3@300", "--for", "60"}));
    ASSERT_TRUE(run.ReadUntil(
        [](const std::string& out) {
            return out.find(" OUT│ SUCCESS│            │ A3 ") != std::string::npos;
        },
        10s));
    run.Signal(SIGINT);  // while the reply to A3 is awaited
    EXPECT_EQ(run.Finish(5s), 130);
    const auto lines = Lines(run.out);
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines.back(), kSep);
    EXPECT_THAT(lines[lines.size() - 2], HasSubstr("NO DATA"));
    EXPECT_GE(RoundTripOf(lines[lines.size() - 2]), 300);
    const auto separators = std::count(lines.begin(), lines.end(), kSep);
    EXPECT_THAT(run.err, HasSubstr("transactions: " + std::to_string(separators) + "\n"));
    EXPECT_THAT(run.err, HasSubstr("interrupted\n"));
}

// A row may name the reply it must get: a reply the plug-in calls a success
// but that differs is a MISMATCH, told after its IN line, and fails the run.
TEST_F(RunnerTest, ExpectedRepliesAreCheckedAndAMismatchFailsTheRun)
{
    ASSERT_TRUE(reader.Started());
    const std::string kInRefused = "  IN│ SUCCESS│use      Tms│ 6A 82 ";
    const struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::vector<std::string> lines;
        std::string summary;
    } cases[] = {
        {{"--send", "A1=>9000"},
         0,
         {" OUT│ SUCCESS│            │ A1 ", "  IN│ SUCCESS│use      Tms│ 90 00 ", kSep},
         "SUCCESS: 1\nMISMATCH: 0\n"},
        {{"--send", "B2=>9000"},
         1,
         {" OUT│ SUCCESS│            │ B2 ", kInRefused, "expected 90 00", kSep},
         "SUCCESS: 0\nMISMATCH: 1\n"},
        {{"--send", "B2=>9000", "--lang", "cn"},
         1,
         {" OUT│ SUCCESS│            │ B2 ", kInRefused, "期望 90 00", kSep},
         "MISMATCH: 1\n"},
        {{"--send", "B2=>6A??"},
         0,
         {" OUT│ SUCCESS│            │ B2 ", kInRefused, kSep},
         "SUCCESS: 1\n"},
        {{"--send", "B2=>6A"},
         1,
         {" OUT│ SUCCESS│            │ B2 ", kInRefused, "expected 6A", kSep},
         "MISMATCH: 1\n"},
        {{"--send", "B2=>6A*"},
         0,
         {" OUT│ SUCCESS│            │ B2 ", kInRefused, kSep},
         "SUCCESS: 1\n"},
        // no reply is NO DATA, not a mismatch
        {{"--send", "A3@30=>9000"}, 1, {kOutA3, kNoData, kSep}, "MISMATCH: 0\nNO DATA: 1\n"},
        // the command as text: "hi" goes out as 68 69
        {{"--plugin", Plugin("PassThrough"), "--text", "--send", "hi=>90 00"},
         0,
         {" OUT│ SUCCESS│            │ 68 69 ", "  IN│ SUCCESS│use      Tms│ 90 00 ", kSep},
         "SUCCESS: 1\n"},
        // a mismatch stops the run at once with --stop-on-error
        {{"--send", "B2=>9000", "--send", "A1", "--loop", "3", "--stop-on-error"},
         1,
         {" OUT│ SUCCESS│            │ B2 ", kInRefused, "expected 90 00", kSep},
         "transactions: 1\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1]);
        // prompt replies are waited for up to 3 s: a loaded machine may hold
        // the reader back a moment
        std::vector<std::string> args = {"--com", "200", "--timeout", "3000"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        ChildProcess run(Command(args));
        EXPECT_EQ(run.Finish(), c.exitCode) << run.err;
        EXPECT_THAT(WithoutTimes(Lines(run.out)), ElementsAreArray(c.lines));
        EXPECT_THAT(run.err, HasSubstr(c.summary));
    }
}

// The file's parts as /usr/bin/python3 reads them back with the standard
// library, one line each.
std::string JUnitAsRead(const std::string& file)
{
    ChildProcess read({"/usr/bin/python3", JUNIT_SUMMARY_PATH, file});
    EXPECT_EQ(read.Finish(), 0) << read.err;
    return read.out;
}

std::string ComLine(int com)
{
    return "COM" + std::to_string(com) + " ";
}

// Eight readers at once, one of them silent, and a port that cannot be
// opened: each port counts its own transactions, the lines of different ports
// never run into each other, and the JUnit file says the same.
TEST_F(RunnerTest, EightReadersInOneRunEachCountedOnItsOwn)
{
    ASSERT_TRUE(reader.Started());
    std::vector<std::unique_ptr<SimReaderProcess>> more;
    for (int com = 201; com <= 207; ++com) {
        more.push_back(std::make_unique<SimReaderProcess>(
            Folder(), com == 204 ? "* => none\n" : kReaderTable, com));
        ASSERT_TRUE(more.back()->Started());
    }
    const std::string junit = folder.Path("results/junit.xml");
    std::filesystem::create_directory(folder.Path("results"));
    ChildProcess run(Command({"--com", "200-207", "--com", "COM230", "--char-timeout", "2",
                              "--send", "A1@1000=>9000", "--send", "B2@1000=>9000", "--loop", "5",
                              "--junit", junit, "--json"}));
    EXPECT_EQ(run.Finish(), 1) << run.err;
    const std::regex line(
        R"(COM20[0-7] ( OUT│ SUCCESS│            │ (A1|B2) |  IN│ (SUCCESS|NO DATA)│use +\d+ms│ (90 00 |6A 82 |\.\.\.)|expected 90 00|──┼.*))");
    std::map<std::string, int> separators;
    for (const std::string& text : Lines(run.out)) {
        EXPECT_TRUE(std::regex_match(text, line)) << text;
        if (text.ends_with(kSep)) ++separators[text.substr(0, 6)];
    }
    for (int com = 200; com <= 207; ++com)
        EXPECT_EQ(separators[ComLine(com).substr(0, 6)], 10) << com;
    EXPECT_THAT(run.err, HasSubstr("Open COM 230 Failed！"));
    // 7 × 5 as expected, 7 × 5 mismatched, 10 silent
    EXPECT_THAT(run.err, HasSubstr("{\"transactions\":80,\"outcomes\":{\"SUCCESS\":35,"
                                   "\"NO DATA\":10,"));
    EXPECT_THAT(run.err, HasSubstr("\"MISMATCH\":35},"));
    EXPECT_THAT(run.err,
                HasSubstr("{\"port\":\"COM204\",\"opened\":true,\"error\":null,"
                          "\"transactions\":10,\"outcomes\":{\"SUCCESS\":0,\"NO DATA\":10,"));
    EXPECT_THAT(run.err, HasSubstr("{\"port\":\"COM230\",\"opened\":false,"));

    const std::string read = JUnitAsRead(junit);
    EXPECT_THAT(read, HasSubstr("testsuites tests=18 failures=9 errors=2 skipped=0\n"));
    EXPECT_THAT(read, HasSubstr("testsuite COM203 tests=2 failures=1 errors=0 skipped=0\n"
                                "testcase Direct A1@1000=>9000 ok transactions=5 "
                                "round_trip_ms.min round_trip_ms.mean round_trip_ms.p99 "
                                "round_trip_ms.max first_byte_ms.min"));
    EXPECT_THAT(read, HasSubstr("testcase Direct B2@1000=>9000 failure 'MISMATCH: 5 of 5 "
                                "transactions failed (MISMATCH 5); first reply 6A 82, expected "
                                "90 00' transactions=5"));
    EXPECT_THAT(read, HasSubstr("testsuite COM204 tests=2 failures=2 errors=0 skipped=0\n"
                                "testcase Direct A1@1000=>9000 failure 'NO DATA: 5 of 5 "
                                "transactions failed (NO DATA 5)'"));
    EXPECT_THAT(read, HasSubstr("testsuite COM230 tests=2 failures=0 errors=2 skipped=0\n"
                                "testcase Direct A1@1000=>9000 error 'Open COM 230 Failed！'"));
}

// Ctrl+C during a run of eight ports: each ends its transaction under way,
// then all stop, and the JUnit file is whole.
TEST_F(RunnerTest, AnInterruptWithEightPortsLeavesAWholeJUnitFile)
{
    ASSERT_TRUE(reader.Started());
    std::vector<std::unique_ptr<SimReaderProcess>> more;
    for (int com = 201; com <= 207; ++com) {
        more.push_back(std::make_unique<SimReaderProcess>(Folder(), kReaderTable, com));
        ASSERT_TRUE(more.back()->Started());
    }
    const std::string junit = folder.Path("junit.xml");
    ChildProcess run(Command(
        {"--com", "200-207", "--send", "A1", "--send", "A3@400", "--for", "60", "--junit", junit}));
    ASSERT_TRUE(run.ReadUntil(
        [](const std::string& out) { return std::count(out.begin(), out.end(), '\n') > 40; }, 20s));
    run.Signal(SIGINT);
    EXPECT_EQ(run.Finish(10s), 130) << run.err;
    const auto lines = Lines(run.out);
    for (int com = 200; com <= 207; ++com) {
        std::vector<std::string> own;
        for (const std::string& text : lines) {
            if (text.starts_with(ComLine(com))) own.push_back(text.substr(ComLine(com).size()));
        }
        ASSERT_FALSE(own.empty()) << com;
        EXPECT_EQ(own.back(), kSep) << com;  // no transaction left half-way
    }
    EXPECT_THAT(run.err, HasSubstr("total:\n"));
    EXPECT_THAT(run.err, HasSubstr("interrupted\n"));
    const std::string read = JUnitAsRead(junit);
    EXPECT_THAT(read, HasSubstr("testsuites tests=16 "));
    EXPECT_EQ(std::count(read.begin(), read.end(), '\n'), 1 + 8 + 16) << read;
    EXPECT_THAT(read, HasSubstr("testsuite COM207 tests=2 failures=1 errors=0 skipped=0 "
                                "interrupted\n"));
}

}  // namespace
