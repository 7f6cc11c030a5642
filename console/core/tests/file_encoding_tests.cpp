#include "quillard/concatenated.h"
#include "quillard/file_encoding.h"

#include <gtest/gtest.h>

#include "gb2312_pairs.h"
#include "quillard/ini_file.h"

namespace {

const char* Name(FileEncoding encoding)
{
    return encoding == FileEncoding::kGbk ? "GBK" : "UTF-8";
}

}  // namespace

// Files written in GBK whose bytes are also valid UTF-8: each of the GB2312
// characters that look like UTF-8, alone, doubled, after ASCII, and all of
// them in one file, read back as the same characters.
TEST(FileEncoding, GbkFilesThatLookLikeUtf8StayGbk)
{
    const std::vector<Gb2312Pair> pairs = Utf8LookingGb2312Pairs();
    ASSERT_EQ(pairs.size(), 930u);
    std::string all = "[Setting]\r\n";
    for (std::size_t i = 0; i < pairs.size(); ++i)
        all += Concatenated({"k", std::to_string(i), "=", pairs[i].gbk, "\r\n"});
    const IniDocument document = IniDocument::Parse(all);
    EXPECT_EQ(document.Encoding(), FileEncoding::kGbk);
    for (std::size_t i = 0; i < pairs.size(); ++i)
        EXPECT_EQ(document.Get("Setting", Concatenated({"k", std::to_string(i)})), pairs[i].utf8);
    for (const Gb2312Pair& pair : pairs) {
        for (const auto& [value, expected] :
             {std::pair{pair.gbk, pair.utf8}, std::pair{pair.gbk + pair.gbk, pair.utf8 + pair.utf8},
              std::pair{"A " + pair.gbk, "A " + pair.utf8}}) {
            const std::string file = "[Setting]\r\nszProtocolName0=" + value + "\r\n";
            ASSERT_EQ(DetectFileEncoding(file), FileEncoding::kGbk) << expected;
            EXPECT_EQ(IniDocument::Parse(file).Get("Setting", "szProtocolName0"), expected);
        }
    }
}

TEST(FileEncoding, TheChoiceByContent)
{
    const struct {
        const char* name;
        std::string bytes;
        FileEncoding encoding;
        const char* value;  // k as read, UTF-8
    } cases[] = {
        // GBK
        {"empty", "", FileEncoding::kGbk, nullptr},
        {"ASCII only", "[s]\r\nk=00 A4 04 00\r\n", FileEncoding::kGbk, "00 A4 04 00"},
        {"平台, GBK bytes that are valid UTF-8", "[s]\r\nk=\xC6\xBD\xCC\xA8\r\n",
         FileEncoding::kGbk, "平台"},
        {"全频 目录 模 票", "[s]\r\nk=\xC8\xAB\xC6\xB5 \xC4\xBF\xC2\xBC \xC4\xA3 \xC6\xB1\r\n",
         FileEncoding::kGbk, "全频 目录 模 票"},
        {"GBK that is not UTF-8", "[s]\r\nk=\xB6\xC1\xBF\xA8\xC6\xF7\r\n", FileEncoding::kGbk,
         "读卡器"},
        {"a character outside GB2312", "[s]\r\nk=\xE9\x46\r\n", FileEncoding::kGbk, "镕"},
        {"a euro sign", "[s]\r\nk=\x80\r\n", FileEncoding::kGbk, "€"},
        {"neither GBK nor UTF-8", "[s]\r\nk=\xFF\r\n", FileEncoding::kGbk, nullptr},
        // UTF-8
        {"a byte-order mark", "\xEF\xBB\xBF[s]\r\nk=\xC6\xBD\xCC\xA8\r\n", FileEncoding::kUtf8,
         "ƽ̨"},
        {"UTF-8 Chinese that is not GBK", "[s]\nk=读卡器\n", FileEncoding::kUtf8, "读卡器"},
        {"UTF-8 Chinese that reads as GBK outside GB2312", "[s]\nk=读卡\n", FileEncoding::kUtf8,
         "读卡"},
        {"UTF-8 平台", "[s]\nk=平台\n", FileEncoding::kUtf8, "平台"},
        {"an emoji", "[s]\nk=😀\n", FileEncoding::kUtf8, "😀"},
        // where the rule favours GBK, or cannot tell
        {"UTF-8 Latin letters only: GBK", "[s]\nk=café\n", FileEncoding::kGbk, "caf茅"},
        {"UTF-8 Chinese whose GBK reading is all GB2312: GBK", "[s]\nk=人们\n", FileEncoding::kGbk,
         nullptr},
        {"GBK with a rare character that also reads as UTF-8 Chinese: UTF-8",
         "[s]\nk=\xE4\xB8\xAD\x40\n", FileEncoding::kUtf8, "中@"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(Name(DetectFileEncoding(c.bytes)), Name(c.encoding)) << c.name;
        if (c.value) {
            EXPECT_EQ(IniDocument::Parse(c.bytes).Get("s", "k"), c.value) << c.name;
        }
    }
}
