#include "quillard/repeat_fold.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "quillard/log_texts.h"

namespace {

const std::string kSep = log_texts::kSeparator;
const std::string kWriteError = " OUT│WRIT ERR│            │ 00 A4 ";
const std::string kOut = " OUT│ SUCCESS│            │ 00 A4 ";
const std::string kNoData = "  IN│ NO DATA│use    200ms│ ...";
const std::string kGood = "  IN│ SUCCESS│use     35ms│ 90 00 ";

// The lines a folder writes for `in`, "|" marking a flush from outside (a
// block, the file's close).
std::vector<std::string> Folded(const std::vector<std::string>& in)
{
    RepeatFolder folder(true);
    std::vector<std::string> out;
    auto add = [&](std::vector<RepeatFolder::Line> lines) {
        for (const auto& line : lines)
            out.push_back(line.text);
    };
    for (const std::string& text : in) {
        if (text == "|")
            add(folder.Flush());
        else
            add(folder.Take({{}, text, text == kSep}));
    }
    add(folder.Flush());
    return out;
}

}  // namespace

TEST(RepeatFolder, ARunOfLikeFailuresIsItsFirstTransactionAndOneLine)
{
    using V = std::vector<std::string>;
    const struct {
        const char* name;
        V in;
        V out;
    } cases[] = {
        {"write errors",
         {kWriteError, kSep, kWriteError, kSep, kWriteError, kSep},
         {kWriteError, kSep, "… repeated 2 times"}},
        {"no replies",
         {kOut, kNoData, kSep, kOut, kNoData, kSep},
         {kOut, kNoData, kSep, "… repeated once"}},
        {"successes are never folded",
         {kOut, kGood, kSep, kOut, kGood, kSep},
         {kOut, kGood, kSep, kOut, kGood, kSep}},
        {"another transaction ends the run",
         {kWriteError, kSep, kWriteError, kSep, kOut, kGood, kSep, kWriteError, kSep},
         {kWriteError, kSep, "… repeated once", kOut, kGood, kSep, kWriteError, kSep}},
        {"a line held while it matched is written when the rest differs",
         {kOut, kNoData, kSep, kOut, kGood, kSep},
         {kOut, kNoData, kSep, kOut, kGood, kSep}},
        {"a line between transactions ends the run and the next begins one",
         {kWriteError, kSep, kWriteError, kSep, "COM3: the device is back", kWriteError, kSep,
          kWriteError, kSep},
         {kWriteError, kSep, "… repeated once", "COM3: the device is back", kWriteError, kSep,
          "… repeated once"}},
        {"a block ends the run; the next one begins written",
         {kWriteError, kSep, kWriteError, kSep, "|", kWriteError, kSep, kWriteError, kSep},
         {kWriteError, kSep, "… repeated once", kWriteError, kSep, "… repeated once"}},
        {"a flush inside a transaction writes what was held",
         {kOut, kNoData, kSep, kOut, "|", kNoData, kSep},
         {kOut, kNoData, kSep, kOut, kNoData, kSep}},
    };
    for (const auto& c : cases)
        EXPECT_THAT(Folded(c.in), ::testing::ElementsAreArray(c.out)) << c.name;
    EXPECT_EQ(RepeatedText(3, false), "… 重复 3 次");
}
