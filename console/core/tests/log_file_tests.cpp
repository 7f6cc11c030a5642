#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>

#include "quillard/log_file.h"
#include "quillard/log_file_texts.h"
#include "quillard/log_texts.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using ::testing::HasSubstr;

class LogFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char folder[] = "/tmp/quillard-logfile-XXXXXX";
        m_folder = mkdtemp(folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }
    std::string PathOf(const std::string& name) const
    {
        return (fs::path(m_folder) / name).string();
    }
    static std::string Contents(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // Waits up to 5 s for `done`.
    template <class Done>
    static bool Eventually(Done done)
    {
        for (int i = 0; i < 500 && !done(); ++i)
            std::this_thread::sleep_for(10ms);
        return done();
    }

    std::string m_folder;
};

// Each line after its local time to the millisecond, in order; a block as it
// is; a transaction on the disk as soon as its separator is handed over.
TEST_F(LogFileTest, LinesInOrderAfterTheirTimeAndFlushedAtTheSeparator)
{
    const std::string path = PathOf("traffic.log");
    LogFileError error;
    auto writer = LogFileWriter::Open(path, nullptr, error);
    ASSERT_TRUE(writer);
    writer->AppendBlock("header one\nheader two\n");
    const auto stamp = LogFileWriter::WallClock::now();
    for (int i = 0; i < 1000; ++i)
        writer->AppendLine(stamp, " OUT│ SUCCESS│            │ " + std::to_string(i), false);
    writer->AppendLine(stamp, log_texts::kSeparator, true);
    EXPECT_TRUE(Eventually([&] { return Contents(path).find("──┼") != std::string::npos; }))
        << "the separator's transaction reaches the disk while the file stays open";
    writer.reset();

    std::istringstream lines(Contents(path));
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "header one");
    std::getline(lines, line);
    EXPECT_EQ(line, "header two");
    const std::regex stamped(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} (.*)$)");
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(std::getline(lines, line));
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, stamped)) << line;
        ASSERT_EQ(match[1].str(), " OUT│ SUCCESS│            │ " + std::to_string(i));
    }
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_THAT(line, HasSubstr(log_texts::kSeparator));  // UTF-8, as the log shows it
    EXPECT_FALSE(std::getline(lines, line));
}

// The first failure ends the writing, is told once, and never holds up the
// caller: a full disk, a file deleted while written, a file that cannot be made.
TEST_F(LogFileTest, AFailureEndsTheWritingAndIsToldOnce)
{
    struct Case {
        const char* name;
        std::string path;
        bool deleteIt;
        LogFileError::Kind kind;
    };
    const Case cases[] = {
        {"disk full", "/dev/full", false, LogFileError::Kind::kWrite},
        {"deleted", PathOf("deleted.log"), true, LogFileError::Kind::kGone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::atomic<int> told{0};
        LogFileError error;
        auto writer = LogFileWriter::Open(
            c.path, [&] { ++told; }, error);
        ASSERT_TRUE(writer);
        if (c.deleteIt) {
            writer->AppendBlock("header\n");
            ASSERT_TRUE(Eventually([&] { return Contents(c.path) == "header\n"; }));
            fs::remove(c.path);
        }
        const auto stamp = LogFileWriter::WallClock::now();
        for (int i = 0; i < 3; ++i)
            writer->AppendLine(stamp, log_texts::kSeparator, true);
        ASSERT_TRUE(Eventually([&] { return writer->Failed(); }));
        EXPECT_EQ(writer->Error().kind, c.kind);
        // more than the queue holds goes nowhere, at once
        const std::string big(1 << 20, 'x');
        for (std::size_t sent = 0; sent < 2 * LogFileWriter::kMaxQueuedBytes; sent += big.size())
            writer->AppendLine(stamp, big, true);
        writer.reset();
        EXPECT_EQ(told, 1);
    }
    LogFileError error;
    EXPECT_FALSE(LogFileWriter::Open(PathOf("no/such/folder.log"), nullptr, error));
    EXPECT_EQ(error.kind, LogFileError::Kind::kOpen);
    EXPECT_EQ(error.reason, "No such file or directory");
    EXPECT_EQ(LogFileErrorMessage(error, "/x/y.log", true),
              "Can't create the log file /x/y.log (No such file or directory)!");
    EXPECT_THAT(LogFileErrorMessage({LogFileError::Kind::kWrite, "No space left on device"},
                                    "/dev/full", false),
                HasSubstr("写日志文件 /dev/full 出错 (No space left on device)"));
}

TEST(LogFileTexts, HeaderNamesVersionPortTimeoutProtocolAndEncoding)
{
    LogFileHeader header;
    header.started = std::chrono::system_clock::now();
    header.port = "COM3 (ttyUSB0), 19200, n,8,1";
    header.charTimeout = 30;
    header.protocol = "Direct";
    header.pluginFile = "Corvane.dll";
    const std::string english = LogFileHeaderText(header, true);
    EXPECT_THAT(english, HasSubstr(std::string("Version: ") + ProgramVersion() + "\n"));
    EXPECT_THAT(english, HasSubstr("Port: COM3 (ttyUSB0), 19200, n,8,1\n"));
    EXPECT_THAT(english, HasSubstr("Character time-out: 30 ms\n"));
    EXPECT_THAT(english, HasSubstr("Protocol: Direct (Corvane.dll)\n"));
    EXPECT_THAT(english, HasSubstr("Encoding: UTF-8\n"));
    header.port.clear();
    EXPECT_THAT(LogFileHeaderText(header, false), HasSubstr("端口: 未打开\n"));
    EXPECT_TRUE(std::regex_match(LogFileDefaultName(header.started),
                                 std::regex(R"(Quillard_\d{8}_\d{6}\.log)")));
}

}  // namespace
