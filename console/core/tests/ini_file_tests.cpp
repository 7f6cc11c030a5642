#include "quillard/concatenated.h"
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
    // lines end in CR LF, LF or CR alone, mixed in one file as well
    const struct {
        const char* file;
        const char* key;
        const char* value;
    } ends[] = {
        {"[s]\nk=LF only", "k", "LF only"},
        {"[s]\nk=no end", "k", "no end"},
        {"[s]\rk=CR only\rj=next\r", "j", "next"},
        {"[s]\r\nk=a\rj=b\nh=c", "h", "c"},
        {"[x]\rk=wrong\r\r[s]\rk=CR section", "k", "CR section"},
    };
    for (const auto& e : ends)
        EXPECT_EQ(Get(e.file, "s", e.key), e.value) << e.file;
    // a GBK name whose last byte is that of ']'
    EXPECT_EQ(Get("[\x81\x5D]\r\nk=v\r\n", "乚", "k"), "v");
}

// A read takes at most 259 bytes of the file's encoding and never half a
// character: about 129 Chinese characters of a GBK file, 86 of a UTF-8 one.
TEST(IniRead, ValuesAreCutTo259BytesAtACharacter)
{
    std::string chinese;  // 300 characters
    for (int i = 0; i < 100; ++i)
        chinese += "读卡器";
    const std::string gbk = *Utf8ToGbk(chinese);
    const auto Chars = [&](std::size_t n) { return chinese.substr(0, 3 * n); };
    const struct {
        const char* name;
        std::string file;
        int bytes;
        std::string value;
    } cases[] = {
        {"ASCII", "[s]\r\nk=" + std::string(300, 'A') + "\r\n", 259, std::string(259, 'A')},
        {"GBK, 259 bytes hold 129 characters", "[s]\r\nk=" + gbk + "\r\n", 258, Chars(129)},
        {"GBK after one ASCII byte", "[s]\r\nk=A" + gbk + "\r\n", 259,
         Concatenated({"A", Chars(129)})},
        {"UTF-8", "[s]\nk=" + chinese + "\n", 258, Chars(86)},
        {"UTF-8 after one ASCII byte", "[s]\nk=A" + chinese + "\n", 259,
         Concatenated({"A", Chars(86)})},
        {"missing", "[s]\r\n", 0, ""},
    };
    for (const auto& c : cases) {
        std::string value = "old";
        EXPECT_EQ(ReadIniValue(IniDocument::Parse(c.file), "s", "k", value), c.bytes) << c.name;
        EXPECT_EQ(value, c.value) << c.name;
    }
    std::string value;
    EXPECT_EQ(ReadIniValue(TestProgramFolder().Path("absent.ini"), "s", "k", value), 0);
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
        {"section appended with no blank line, after a last line without end", "[a]\nx=1", "b",
         "CMD0", "", "[a]\nx=1\n[b]\nCMD0=\n"},
        {"section appended to a CR LF file", "[a]\r\nx=1\r\n", "b", "CMD0", "1",
         "[a]\r\nx=1\r\n[b]\r\nCMD0=1\r\n"},
        {"empty value written as KEY=", "[b]\nCMD0=0102\n", "b", "CMD0", "", "[b]\nCMD0=\n"},
        {"a value that reads the same stays as stored", "[b]\nCMD0 = \"0102\" \n", "b", "cmd0",
         "0102", "[b]\nCMD0 = \"0102\" \n"},
        {"new file: CR LF", "", "szProtocolName0", "CMD0", "0102",
         "[szProtocolName0]\r\nCMD0=0102\r\n"},
        {"CR-only file: the line it changes and the one it adds end in CR", "[a]\rx=1\r[b]\ry=2\r",
         "a", "x", "9", "[a]\rx=9\r[b]\ry=2\r"},
        {"CR-only file, key added", "[a]\rx=1\r", "a", "z", "3", "[a]\rx=1\rz=3\r"},
        {"each line keeps its own end", "[a]\r\nx=1\ny=2\rw=0", "a", "y", "5",
         "[a]\r\nx=1\ny=5\rw=0"},
        {"added lines end as the first line does", "[a]\nx=1\r\n", "a", "z", "3",
         "[a]\nx=1\r\nz=3\n"},
    };
    for (const auto& c : cases) {
        IniDocument document = IniDocument::Parse(c.before);
        document.Set(c.section, c.key, c.value);
        EXPECT_EQ(document.Serialize(), c.after) << c.name;
        EXPECT_EQ(IniDocument::Parse(document.Serialize()).Get(c.section, c.key), c.value)
            << c.name;
    }
}

// A line break in what is written would start a line of its own (a section
// header that swallows the rows after it): only the first line is written,
// whoever the caller.
TEST(IniWrite, WritesNoLineBreakInsideALine)
{
    const struct {
        const char* name;
        const char* section;
        const char* key;
        const char* value;
        const char* after;
    } cases[] = {
        {"a pasted second line", "s", "CMD0", "A0 B0\r\n[notes]\r\n",
         "[s]\r\nCMD0=A0 B0\r\nCMD1=1\r\n"},
        {"a trailing line end", "s", "CMD0", "A0\n", "[s]\r\nCMD0=A0\r\nCMD1=1\r\n"},
        {"a CR alone", "s", "CMD0", "A0\rx=y", "[s]\r\nCMD0=A0\r\nCMD1=1\r\n"},
        {"a line break first", "s", "CMD0", "\n[t]", "[s]\r\nCMD0=\r\nCMD1=1\r\n"},
        {"a new key", "s", "CMD2\r\n[t]", "5\n6", "[s]\r\nCMD0=0\r\nCMD1=1\r\nCMD2=5\r\n"},
        {"a new section", "t\n[u]", "k", "v", "[s]\r\nCMD0=0\r\nCMD1=1\r\n[t]\r\nk=v\r\n"},
    };
    for (const auto& c : cases) {
        IniDocument document = IniDocument::Parse("[s]\r\nCMD0=0\r\nCMD1=1\r\n");
        document.Set(c.section, c.key, c.value);
        EXPECT_EQ(document.Serialize(), c.after) << c.name;
    }
    TestProgramFolder folder;
    folder.Write("History.ini", "[s]\r\nCMD0=0\r\nCMD1=1\r\n");
    EXPECT_TRUE(WriteIniValue(folder.Path("History.ini"), "s", "CMD0", "A0 B0\r\n[notes]\r\n"));
    EXPECT_EQ(folder.Read("History.ini"), "[s]\r\nCMD0=A0 B0\r\nCMD1=1\r\n");
}

// A file keeps its one encoding through every write, and is read in it again.
TEST(IniWrite, FilesKeepTheirEncoding)
{
    const std::string du = "\xB6\xC1", duKa = "\xB6\xC1\xBF\xA8";  // 读, 读卡 in GBK
    const struct {
        const char* name;
        std::string before;
        const char* section;
        const char* value;
        std::string after;
    } cases[] = {
        {"an ASCII history takes GBK", "[szProtocolName0]\r\nCMD0=0102\r\n", "szProtocolName0",
         "读卡", "[szProtocolName0]\r\nCMD0=" + duKa + "\r\n"},
        {"a new file takes GBK", "", "szProtocolName0", "读卡",
         "[szProtocolName0]\r\nCMD0=" + duKa + "\r\n"},
        {"a GBK file, its section name GBK too", "[s]\r\nk=" + du + "\r\n", "协议", "读卡",
         "[s]\r\nk=" + du + "\r\n[\xD0\xAD\xD2\xE9]\r\nCMD0=" + duKa + "\r\n"},
        {"a GBK file takes ASCII", "[s]\r\nCMD0=" + du + "\r\n", "s", "0102",
         "[s]\r\nCMD0=0102\r\n"},
        {"a GBK file writes a character without a GBK form as ?", "[s]\r\nk=" + du + "\r\n", "s",
         "☃读", "[s]\r\nk=" + du + "\r\nCMD0=?" + du + "\r\n"},
        {"a UTF-8 file takes UTF-8", "[s]\nk=读卡器\n", "s", "☃读", "[s]\nk=读卡器\nCMD0=☃读\n"},
        {"a UTF-8 file with a byte-order mark", "\xEF\xBB\xBF[s]\nk=é\n", "s", "读",
         "\xEF\xBB\xBF[s]\nk=é\nCMD0=读\n"},
        {"a UTF-8 file that would look like GBK gets a byte-order mark", "[s]\nCMD0=读卡器\n", "s",
         "é", "\xEF\xBB\xBF[s]\nCMD0=é\n"},
        {"a UTF-8 file left ASCII stays as it is", "[s]\nCMD0=读卡器\n", "s", "0102",
         "[s]\nCMD0=0102\n"},
    };
    for (const auto& c : cases) {
        IniDocument document = IniDocument::Parse(c.before);
        document.Set(c.section, "CMD0", c.value);
        const std::string after = document.Serialize();
        EXPECT_EQ(after, c.after) << c.name;
        const IniDocument again = IniDocument::Parse(after);
        if (HasNonAsciiBytes(c.before) && HasNonAsciiBytes(after)) {
            EXPECT_EQ(again.Encoding(), document.Encoding()) << c.name;
        }
        if (std::string(c.value).find("☃") == std::string::npos) {
            EXPECT_EQ(again.Get(c.section, "CMD0"), c.value) << c.name;
        }
    }
    // GBK bytes that read as no text stay when their row is saved as it was read
    const std::string unreadable = "[s]\r\nCMD0=\xB6\xFF\r\n";
    IniDocument document = IniDocument::Parse(unreadable);
    document.Set("s", "CMD0", *document.Get("s", "CMD0"));
    EXPECT_EQ(document.Serialize(), unreadable);
}

TEST(IniWrite, CreatesMissingFilesAndLeavesReadOnlyOnesAlone)
{
    TestProgramFolder folder;
    EXPECT_TRUE(WriteIniValue(folder.Path("new.ini"), "Setting", "szLanguage", "CN"));
    EXPECT_EQ(folder.Read("new.ini"), "[Setting]\r\nszLanguage=CN\r\n");

    folder.Write("locked.ini", "[Setting]\nszLanguage=EN\n");
    std::filesystem::permissions(PathFromText(folder.Path("locked.ini")),
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_FALSE(WriteIniValue(folder.Path("locked.ini"), "Setting", "szLanguage", "CN"));
    EXPECT_EQ(folder.Read("locked.ini"), "[Setting]\nszLanguage=EN\n");
    EXPECT_FALSE(WriteIniValue(folder.Path("no/such/folder.ini"), "s", "k", "v"));
}
