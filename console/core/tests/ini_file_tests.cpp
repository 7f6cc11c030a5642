#include "quillard/ini_file.h"

#include <gtest/gtest.h>

#include "program_folder.h"
#include "quillard/text_encoding.h"

namespace {

std::optional<std::string> Get(std::string_view text, const char* section, const char* key)
{
    return IniDocument::Parse(text).Get(section, key);
}

}  // namespace

TEST(IniRead, NamesMatchWithoutCaseAndValuesLoseBlanksAndQuotes)
{
    const char* file =
        "; a comment line\r\n"
        "[Setting]\r\n"
        "  nProtocolCount =  2 \r\n"
        "szEmpty=\r\n"
        "szQuoted=\"  a b \"\r\n"
        "szHalfQuoted=\"ab\r\n"
        "szEquals=a=b\r\n"
        "[ second ]\r\n"
        "key=in second\r\n"
        "[setting]\r\n"
        "nProtocolCount=9\r\n";
    const struct {
        const char* section;
        const char* key;
        std::optional<std::string> value;
    } cases[] = {
        {"Setting", "nProtocolCount", "2"},  {"SETTING", "NPROTOCOLCOUNT", "2"},
        {"Setting", "szEmpty", ""},          {"Setting", "szQuoted", "  a b "},
        {"Setting", "szHalfQuoted", "\"ab"}, {"Setting", "szEquals", "a=b"},
        {"second", "key", "in second"},      {"Setting", "key", std::nullopt},
        {"Missing", "key", std::nullopt},    {"Setting", "; a comment line", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Get(file, c.section, c.key), c.value) << c.section << "/" << c.key;
    EXPECT_EQ(Get("[s]\nk=LF only", "s", "k"), "LF only");
    EXPECT_EQ(Get("[s]\nk=no end", "s", "k"), "no end");
}

TEST(IniRead, ValuesAreCutTo259Characters)
{
    TestProgramFolder folder;
    const std::string path = folder.Path("cut.ini");
    const std::string chinese = "读卡器";  // 3 characters, 9 bytes
    std::string longValue;
    for (int i = 0; i < 100; ++i)
        longValue += chinese;
    folder.Write("cut.ini", "[s]\nascii=" + std::string(300, 'A') + "\nwide=" + longValue + "\n");
    std::string value;
    EXPECT_EQ(ReadIniValue(path, "s", "ascii", value), 259);
    EXPECT_EQ(value, std::string(259, 'A'));
    EXPECT_EQ(ReadIniValue(path, "s", "wide", value), 259);
    EXPECT_EQ(value, longValue.substr(0, 259 / 3 * 9 + 3));  // 259 = 86 × 3 + 1
    EXPECT_EQ(ReadIniValue(path, "s", "none", value), 0);
    EXPECT_EQ(ReadIniValue(folder.Path("absent.ini"), "s", "ascii", value), 0);
}

// Each write against the file before it, and the file after it, byte for byte.
TEST(IniWrite, ChangesOneLineAndKeepsTheRest)
{
    const struct {
        const char* name;
        const char* before;
        const char* section;
        const char* key;
        const char* value;
        const char* after;
    } cases[] = {
        {"key rewritten in place, comments and blanks kept",
         "; keep me\r\n[Setting]\r\n\r\nszLanguage = CN \r\nnProtocolCount=1\r\n", "setting",
         "SZLANGUAGE", "EN", "; keep me\r\n[Setting]\r\n\r\nszLanguage=EN\r\nnProtocolCount=1\r\n"},
        {"key added after the section's last line, before its blank lines",
         "[a]\nx=1\n\n[b]\ny=2\n", "a", "z", "3", "[a]\nx=1\nz=3\n\n[b]\ny=2\n"},
        {"section appended after a blank line", "[a]\nx=1", "b", "CMD0", "",
         "[a]\nx=1\n\n[b]\nCMD0=\n"},
        {"empty value written as KEY=", "[b]\nCMD0=0102\n", "b", "CMD0", "", "[b]\nCMD0=\n"},
        {"new file", "", "szProtocolName0", "CMD0", "0102", "[szProtocolName0]\nCMD0=0102\n"},
    };
    for (const auto& c : cases) {
        IniDocument document = IniDocument::Parse(c.before);
        document.Set(c.section, c.key, c.value);
        EXPECT_EQ(document.Serialize(), c.after) << c.name;
        EXPECT_EQ(IniDocument::Parse(document.Serialize()).Get(c.section, c.key), c.value)
            << c.name;
    }
}

TEST(IniWrite, GbkFilesStayGbkUnlessAValueHasNoGbkForm)
{
    TestProgramFolder folder;
    const std::string path = folder.Path("gbk.ini");
    const std::string gbkFile = *Utf8ToGbk("[szProtocolName0]\r\nszDevName0=读卡器一号\r\n");
    folder.Write("gbk.ini", gbkFile);

    std::string value;
    ReadIniValue(path, "szProtocolName0", "szDevName0", value);
    EXPECT_EQ(value, "读卡器一号");
    ASSERT_TRUE(WriteIniValue(path, "szProtocolName0", "CMD0", "中文"));
    EXPECT_EQ(folder.Read("gbk.ini"), gbkFile + *Utf8ToGbk("CMD0=中文\r\n"));

    ASSERT_TRUE(WriteIniValue(path, "szProtocolName0", "CMD1", "€ ☃"));  // ☃ has no GBK form
    EXPECT_EQ(folder.Read("gbk.ini"),
              "[szProtocolName0]\r\nszDevName0=读卡器一号\r\nCMD0=中文\r\nCMD1=€ ☃\r\n");
    ReadIniValue(path, "szProtocolName0", "szDevName0", value);
    EXPECT_EQ(value, "读卡器一号");
}

TEST(IniWrite, CreatesMissingFilesAndLeavesReadOnlyOnesAlone)
{
    TestProgramFolder folder;
    EXPECT_TRUE(WriteIniValue(folder.Path("new.ini"), "Setting", "szLanguage", "CN"));
    EXPECT_EQ(folder.Read("new.ini"), "[Setting]\nszLanguage=CN\n");

    folder.Write("locked.ini", "[Setting]\nszLanguage=EN\n");
    std::filesystem::permissions(folder.Path("locked.ini"),
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_FALSE(WriteIniValue(folder.Path("locked.ini"), "Setting", "szLanguage", "CN"));
    EXPECT_EQ(folder.Read("locked.ini"), "[Setting]\nszLanguage=EN\n");
    EXPECT_FALSE(WriteIniValue(folder.Path("no/such/folder.ini"), "s", "k", "v"));
}
