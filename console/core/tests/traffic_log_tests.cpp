#include <gtest/gtest.h>

#include <string>

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
