#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "quillard/traffic_log.h"

namespace {

TEST(TrafficLog, AppendsLinesWithCrLf)
{
    MemoryLogView view;
    AppendLog(view, " OUT│ SUCCESS│            │ 01 ");
    AppendLog(view, "──┼");
    EXPECT_EQ(view.Text(), " OUT│ SUCCESS│            │ 01 \r\n──┼\r\n");
    EXPECT_EQ(view.TextLength(), 31u + 2 + 3 + 2);
    ClearLog(view);
    EXPECT_EQ(view.Text(), "");
    EXPECT_EQ(view.TextLength(), 0u);
}

TEST(TrafficLog, WipesALogAboveTheThresholdBeforeTheNextLine)
{
    struct Case {
        std::size_t length;
        bool wiped;
    };
    for (const Case c : {Case{kLogWipeLength - 1, false}, Case{kLogWipeLength, false},
                         Case{kLogWipeLength + 1, true}}) {
        SCOPED_TRACE(c.length);
        MemoryLogView view;
        // Multi-byte characters: the threshold counts characters, not bytes.
        std::string text;
        for (std::size_t i = 0; i < c.length; ++i)
            text += (i % 2 ? "─" : "x");
        view.SetText(text);
        AppendLog(view, "line");
        if (c.wiped) {
            EXPECT_EQ(view.Text(), "line\r\n");
        } else {
            EXPECT_EQ(view.TextLength(), c.length + 6);
            EXPECT_EQ(view.Text().substr(view.Text().size() - 6), "line\r\n");
        }
    }
}

}  // namespace

// Lines a wake-up brings go in at once: the log ends as it would line by line,
// emptied where a line would have emptied it, and the last line is selected.
TEST(TrafficLog, LinesAppendedTogetherLeaveTheLogAsOneByOne)
{
    const std::string wide(3000, 'x');  // 3002 characters with its line break
    struct Case {
        const char* name;
        std::size_t startLength;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"an empty log", 0, {"a", "─┼─", "c"}},
        {"one line", 10, {"only"}},
        {"no lines", 10, {}},
        {"just below the threshold", kLogWipeLength - 1, {"a", "b", "c"}},
        {"above it before the first line", kLogWipeLength + 1, {"a", "b", "c"}},
        {"a line that crosses it", kLogWipeLength - 5, {wide, "after", "last"}},
        {"crossed twice", kLogWipeLength - 5,
         [&] {
             std::vector<std::string> lines(420, wide);  // 1.26 million characters
             lines.push_back("last");
             return lines;
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string start(c.startLength, 's');
        MemoryLogView oneByOne, together;
        oneByOne.SetText(start);
        together.SetText(start);
        for (const std::string& line : c.lines)
            AppendLog(oneByOne, line);
        AppendLogLines(together, c.lines);
        EXPECT_EQ(together.TextLength(), oneByOne.TextLength());
        EXPECT_TRUE(together.Text() == oneByOne.Text());
        EXPECT_EQ(together.Selected(), oneByOne.Selected());
        if (!c.lines.empty()) {
            EXPECT_EQ(together.Selected(), c.lines.back() + "\r\n");
        }
    }
}
