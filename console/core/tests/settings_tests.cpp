#include "quillard/settings.h"

#include <gtest/gtest.h>

#include "hollet/com_names.h"
#include "program_folder.h"
#include "quillard/ini_file.h"
#include "quillard/text_encoding.h"
#include "quillard/utf16_text.h"

namespace {

struct SettingsFiles : ::testing::Test {
    LoadedSettings Load(const std::string& settings)
    {
        folder.Write(kSettingsFileName, settings);
        return LoadSettingsFiles(folder.Path(kSettingsFileName), folder.Path(kHistoryFileName));
    }
    // One protocol whose section holds `keys`.
    LoadedSettings LoadOne(const std::string& keys)
    {
        return Load("[Setting]\nnProtocolCount=1\nszProtocolName0=P\n[szProtocolName0]\n" + keys);
    }
    TestProgramFolder folder;
};

}  // namespace

TEST_F(SettingsFiles, TheExampleCatalogue)
{
    const LoadedSettings loaded = Load(kTwoProtocols);
    EXPECT_FALSE(loaded.fatal);
    EXPECT_EQ(loaded.language, 1);
    ASSERT_EQ(loaded.protocols.size(), 2u);
    const ProtocolEntry& bus = *loaded.protocols[1];
    EXPECT_EQ(bus.szProtocolName, "Bus");
    EXPECT_EQ(bus.szSection, "szProtocolName1");
    EXPECT_EQ(bus.szDllName, "Corvane.dll");
    EXPECT_EQ(bus.nAddrLen, 1);
    EXPECT_EQ(bus.bHexMode, 1);
    EXPECT_EQ(bus.szDevNames, std::vector<std::string>{"Reader C"});
    EXPECT_EQ(loaded.protocols[0]->szDevNames, (std::vector<std::string>{"Reader A", "Reader B"}));
}

TEST_F(SettingsFiles, FatalKeysKeepTheEntriesBeforeThem)
{
    const struct {
        const char* name;
        std::string settings;
        std::size_t entries;
        bool fatal;
    } cases[] = {
        {"no file", "", 0, true},
        {"count 0", "[Setting]\nnProtocolCount=0\n", 0, false},
        {"count negative", "[Setting]\nnProtocolCount=-3\n", 0, false},
        {"entry 1 lacks szDllName",
         std::string(kTwoProtocols).replace(std::string(kTwoProtocols).rfind("szDllName"), 9, "x"),
         1, true},
        {"name of entry 2 missing", std::string(kTwoProtocols) + "[Setting]\n", 2, false},
        {"absurd count stops at the first missing name",
         std::string(kTwoProtocols)
             .replace(std::string(kTwoProtocols).find("=2\n"), 2, "=2000000000"),
         2, true},
        {"nDevCount missing",
         "[Setting]\nnProtocolCount=1\nszProtocolName0=P\n[szProtocolName0]\nszDllName=a.dll\n", 0,
         true},
        {"absurd nDevCount stops at the first missing name",
         "[Setting]\nnProtocolCount=1\nszProtocolName0=P\n[szProtocolName0]\nszDllName=a.dll\n"
         "nDevCount=2000000000\nszDevName0=A\n",
         0, true},
    };
    for (const auto& c : cases) {
        const LoadedSettings loaded = Load(c.settings);
        EXPECT_EQ(loaded.protocols.size(), c.entries) << c.name;
        EXPECT_EQ(loaded.fatal, c.fatal) << c.name;
    }
}

TEST_F(SettingsFiles, ValueForms)
{
    const struct {
        const char* keys;
        int addrLen;
        int hexMode;
        std::size_t devices;
    } cases[] = {
        {"szDllName=a.dll\nnDevCount=0\nbHexMode=TRUE\nnAddrLen=2\n", 2, 1, 0},
        {"szDllName=a.dll\nnDevCount=-1\nbHexMode=true\n", 0, 0, 0},
        {"szDllName=a.dll\nnDevCount=abc\nbHexMode=1\nnAddrLen= 3x\n", 3, 0, 0},
        {"szDllName=a.dll\nnDevCount=1\nszDevName0=R\nbHexMode=TRUE \nnAddrLen=-2\n", 0, 1, 1},
        {"szDllName=a.dll\nnDevCount=2junk\nszDevName0=R\nszDevName1=S\nbHexMode=TRUEX\n", 0, 0, 2},
    };
    for (const auto& c : cases) {
        const LoadedSettings loaded = LoadOne(c.keys);
        ASSERT_EQ(loaded.protocols.size(), 1u) << c.keys;
        EXPECT_EQ(loaded.protocols[0]->nAddrLen, c.addrLen) << c.keys;
        EXPECT_EQ(loaded.protocols[0]->bHexMode, c.hexMode) << c.keys;
        EXPECT_EQ(loaded.protocols[0]->szDevNames.size(), c.devices) << c.keys;
    }
    EXPECT_EQ(AtoiValue("  -12ab"), -12);
    EXPECT_EQ(AtoiValue("99999999999"), 2147483647);
    EXPECT_EQ(AtoiValue("-99999999999"), -2147483647 - 1);
}

TEST_F(SettingsFiles, LanguageIsReadFromTwoCharactersAndWrittenOnlyWhenItDiffers)
{
    const struct {
        const char* stored;  // null: no key
        int language;        // as read
        int chosen;          // at close
        const char* after;   // the value in the file afterwards
    } cases[] = {
        {"EN", 1, 1, "EN"}, {"ENGLISH", 1, 1, "ENGLISH"}, {"en", 0, 0, "CN"}, {"en", 0, 1, "EN"},
        {"CN", 0, 1, "EN"}, {nullptr, 0, 0, "CN"},        {"XX", 0, 0, "CN"},
    };
    for (const auto& c : cases) {
        std::string settings = "[Setting]\nnProtocolCount=0\n";
        if (c.stored) settings += std::string("szLanguage=") + c.stored + "\n";
        EXPECT_EQ(Load(settings).language, c.language) << (c.stored ? c.stored : "none");
        SaveLanguage(folder.Path(kSettingsFileName), c.chosen);
        std::string value;
        ReadIniValue(folder.Path(kSettingsFileName), "Setting", "szLanguage", value);
        EXPECT_EQ(value, c.after) << (c.stored ? c.stored : "none");
    }
}

TEST_F(SettingsFiles, HistoryOfTheExampleAndAddressesOnlyWithAnAddressLength)
{
    LoadedSettings loaded = Load(kTwoProtocols);
    loaded.protocols[0]->szCmd[0] = "0102";
    loaded.protocols[1]->szCmd[0] = "0304";
    loaded.protocols[1]->szAddr[0] = "01";
    SaveHistoryFile(folder.Path(kHistoryFileName), *loaded.protocols[0]);
    SaveHistoryFile(folder.Path(kHistoryFileName), *loaded.protocols[1]);
    // a new file: CR LF line ends, and no blank line before a section
    std::string expected = "[szProtocolName0]\r\nCMD0=0102\r\n";
    for (int j = 1; j < 10; ++j)
        expected += "CMD" + std::to_string(j) + "=\r\n";
    expected += "[szProtocolName1]\r\nADDR0=01\r\nCMD0=0304\r\n";
    for (int j = 1; j < 10; ++j)
        expected += "ADDR" + std::to_string(j) + "=\r\nCMD" + std::to_string(j) + "=\r\n";
    EXPECT_EQ(folder.Read(kHistoryFileName), expected);

    // Protocol 0 without address keeps address keys it never wrote; they come
    // back when it gets an address length, cut to 259 characters.
    const std::string longCommand(300, 'A');
    WriteIniValue(folder.Path(kHistoryFileName), "szProtocolName0", "ADDR3", "0A0B");
    loaded.protocols[0]->szCmd[3] = longCommand;
    loaded.protocols[0]->szAddr[3] = "FFFF";
    SaveHistoryFile(folder.Path(kHistoryFileName), *loaded.protocols[0]);
    EXPECT_EQ(Load(kTwoProtocols).protocols[0]->szAddr[3], "");
    std::string settings = kTwoProtocols;
    settings.replace(settings.find("nAddrLen=0"), 10, "nAddrLen=2");
    const LoadedSettings again = Load(settings);
    EXPECT_EQ(again.protocols[0]->szAddr[3], "0A0B");
    EXPECT_EQ(again.protocols[0]->szCmd[3], longCommand.substr(0, 259));
}

// The files of a Windows program folder (GBK, CR LF) read as their UTF-8
// rendering and are written back byte for byte where nothing changed.
TEST_F(SettingsFiles, WindowsFilesReadAndWriteBackUnchanged)
{
    const std::string samples = std::string(TEST_DATA_DIR) + "/windows/";
    for (const char* name : {kSettingsFileName, kHistoryFileName})
        std::filesystem::copy_file(samples + name, PathFromText(folder.Path(name)));
    const std::string settings = folder.Read(kSettingsFileName);
    const std::string history = folder.Read(kHistoryFileName);

    LoadedSettings loaded =
        LoadSettingsFiles(folder.Path(kSettingsFileName), folder.Path(kHistoryFileName));
    ASSERT_FALSE(loaded.fatal);
    ASSERT_EQ(loaded.protocols.size(), 3u);
    EXPECT_EQ(loaded.protocols[0]->szProtocolName, "直通协议");
    EXPECT_EQ(loaded.protocols[1]->szProtocolName, "总线协议");
    EXPECT_EQ(loaded.protocols[0]->szDevNames,
              (std::vector<std::string>{"读写器 A", "读写器 B", "桌面发卡机"}));
    EXPECT_EQ(loaded.protocols[1]->szDevNames, std::vector<std::string>{"多路读卡器"});
    EXPECT_EQ(loaded.protocols[0]->szCmd[1], "00 A4 04 00");
    EXPECT_EQ(loaded.protocols[1]->szAddr[0], "01");

    for (const auto& entry : loaded.protocols) {
        if (entry->szSection != "szProtocolName2")  // it has no rows yet
            SaveHistoryFile(folder.Path(kHistoryFileName), *entry);
    }
    SaveLanguage(folder.Path(kSettingsFileName), 0);
    EXPECT_EQ(folder.Read(kHistoryFileName), history);
    EXPECT_EQ(folder.Read(kSettingsFileName), settings);

    // A text-mode command in Chinese goes in as GBK, in a section appended
    // straight after the last line; the English language replaces one line.
    loaded.protocols[2]->szCmd[0] = "读卡";
    SaveHistoryFile(folder.Path(kHistoryFileName), *loaded.protocols[2]);
    std::string expected = history + "[szProtocolName2]\r\nCMD0=\xB6\xC1\xBF\xA8\r\n";
    for (int j = 1; j < 10; ++j)
        expected += "CMD" + std::to_string(j) + "=\r\n";
    EXPECT_EQ(folder.Read(kHistoryFileName), expected);
    SaveLanguage(folder.Path(kSettingsFileName), 1);
    std::string english = settings;
    english.replace(english.find("szLanguage=CN"), 13, "szLanguage=EN");
    EXPECT_EQ(folder.Read(kSettingsFileName), english);
}

TEST(AppFiles, FilesBesideTheProgram)
{
    SetAppFolder("/opt/quillard");
    EXPECT_EQ(MakeAppFilePath("History.ini"),
              "/opt/quillard" + std::string(1, kPathSeparator) + "History.ini");
    SetAppFolder("C:\\Quillard\\");
    EXPECT_EQ(MakeAppFilePath("History.ini"), "C:\\Quillard\\History.ini");
    SetAppFolder("");
    EXPECT_EQ(MakeAppFilePath("x"), ProgramFolder() + kPathSeparator + "x");
    // the program folder is the one this test program is in
    const std::filesystem::path folder = PathFromText(ProgramFolder());
    EXPECT_TRUE(std::filesystem::exists(folder / "core_tests") ||
                std::filesystem::exists(folder / "core_tests.exe"))
        << folder;
}

// The same files saved by Notepad as "Unicode" (UTF-16 with its byte-order
// mark, little- or big-endian): read as the GBK ones are, written back byte
// for byte where nothing changed, and changed in their own UTF-16.
TEST_F(SettingsFiles, Utf16FilesAreReadAndWrittenInUtf16)
{
    const std::string samples = std::string(TEST_DATA_DIR) + "/windows/";
    for (const bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
        const std::string bom = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        auto utf16 = [&](const std::string& utf8) { return bom + Utf8ToUtf16(utf8, bigEndian); };
        std::string text[2];
        for (int i = 0; i < 2; ++i) {
            const char* name = i == 0 ? kSettingsFileName : kHistoryFileName;
            std::filesystem::copy_file(samples + name, PathFromText(folder.Path(name)),
                                       std::filesystem::copy_options::overwrite_existing);
            text[i] = GbkToUtf8(folder.Read(name));
            folder.Write(name, utf16(text[i]));
        }
        LoadedSettings loaded =
            LoadSettingsFiles(folder.Path(kSettingsFileName), folder.Path(kHistoryFileName));
        ASSERT_FALSE(loaded.fatal);
        ASSERT_EQ(loaded.protocols.size(), 3u);
        EXPECT_EQ(loaded.protocols[0]->szProtocolName, "直通协议");
        EXPECT_EQ(loaded.protocols[0]->szCmd[1], "00 A4 04 00");
        EXPECT_EQ(loaded.protocols[1]->szAddr[0], "01");

        SaveHistoryFile(folder.Path(kHistoryFileName), *loaded.protocols[0]);
        SaveLanguage(folder.Path(kSettingsFileName), 0);
        EXPECT_EQ(folder.Read(kSettingsFileName), utf16(text[0]));
        EXPECT_EQ(folder.Read(kHistoryFileName), utf16(text[1]));

        SaveLanguage(folder.Path(kSettingsFileName), 1);
        std::string english = text[0];
        english.replace(english.find("szLanguage=CN"), 13, "szLanguage=EN");
        EXPECT_EQ(folder.Read(kSettingsFileName), utf16(english));
        loaded.protocols[2]->szCmd[0] = "读卡";
        SaveHistoryFile(folder.Path(kHistoryFileName), *loaded.protocols[2]);
        std::string rows = "[szProtocolName2]\r\nCMD0=读卡\r\n";
        for (int j = 1; j < 10; ++j)
            rows += "CMD" + std::to_string(j) + "=\r\n";
        EXPECT_EQ(folder.Read(kHistoryFileName), utf16(text[1] + rows));
    }
}

// A UTF-16 value is cut where the Windows program's 260-byte buffer cuts it:
// 259 bytes of its code page, two for a Chinese character.
TEST(IniRead, Utf16ValuesAreCutAsInTheCodePage)
{
    const std::string value = std::string(257, 'A') + "读卡";
    const std::string file = "\xFF\xFE" + Utf8ToUtf16("[s]\r\nk=" + value + "\r\n", false);
    std::string read;
    EXPECT_EQ(ReadIniValue(IniDocument::Parse(file), "s", "k", read), 257 + 3);
    EXPECT_EQ(read, std::string(257, 'A') + "读");
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("a读😀", true), true), "a读😀");
    // half a pair, then half a unit
    EXPECT_EQ(Utf16ToUtf8(std::string("\x00\xD8\x41", 3), false), "\xEF\xBF\xBD\xEF\xBF\xBD");
}
