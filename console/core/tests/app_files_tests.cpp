#include "quillard/app_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "program_folder.h"
#include "quillard/settings.h"

namespace {

namespace fs = std::filesystem;

// A program folder with the example catalogue and a history beside the
// program, and a user's folder that does not exist yet.
struct AppFileRule : ::testing::Test {
    AppFileRule()
    {
        program.Write(kSettingsFileName, kTwoProtocols);
        program.Write(kHistoryFileName, kProgramHistory);
    }
    AppFileFolders Folders(bool programWritable) const
    {
        return {program.Path(""), UserFolder(), programWritable};
    }
    std::string UserFolder() const { return program.Path("home/.config/quillard"); }
    std::string UserFile(const char* name) const { return UserFolder() + kPathSeparator + name; }
    std::string ReadUser(const char* name) const
    {
        std::ifstream file(PathFromText(UserFile(name)), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

    static constexpr const char* kProgramHistory =
        "[szProtocolName0]\r\nCMD0=0102\r\n[szProtocolName1]\r\nADDR0=01\r\nCMD0=0304\r\n";
    TestProgramFolder program;
};

}  // namespace

// Where each file is read and written, and what a close's writes leave in
// both folders.
TEST_F(AppFileRule, ReadAndWrittenWhereTheRuleSays)
{
    enum class Where { kProgram, kUser };
    const struct {
        const char* name;
        bool programWritable;
        bool userFilesFirst;  // the user already has both files (language EN there)
        Where read, write;
    } cases[] = {
        {"a program folder that can be written", true, false, Where::kProgram, Where::kProgram},
        {"... whatever the user's folder holds", true, true, Where::kProgram, Where::kProgram},
        {"read-only: the program's files until the user has them", false, false, Where::kProgram,
         Where::kUser},
        {"read-only: the user's files once they exist", false, true, Where::kUser, Where::kUser},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::error_code ignored;
        fs::remove_all(PathFromText(program.Path("home")), ignored);
        if (c.userFilesFirst) {
            fs::create_directories(PathFromText(UserFolder()));
            std::ofstream(PathFromText(UserFile(kSettingsFileName)), std::ios::binary)
                << "[Setting]\r\nszLanguage=EN\r\nnProtocolCount=0\r\n";
            std::ofstream(PathFromText(UserFile(kHistoryFileName)), std::ios::binary) << "";
        }
        const auto path = [&](Where where, const char* name) {
            return where == Where::kUser ? UserFile(name) : program.Path(name);
        };
        for (const char* name : {kSettingsFileName, kHistoryFileName}) {
            const IniPaths paths = LocateAppFile(Folders(c.programWritable), name);
            EXPECT_EQ(paths.read, path(c.read, name)) << name;
            EXPECT_EQ(paths.write, path(c.write, name)) << name;
        }
    }
}

// The first write in the user's folder starts from the program folder's file:
// writing the language keeps the catalogue, writing one protocol's rows keeps
// the other's; the program folder's files stay as they were.
TEST_F(AppFileRule, TheFirstWriteCopiesTheProgramFoldersFile)
{
    const AppFileFolders folders = Folders(false);
    const IniPaths settings = LocateAppFile(folders, kSettingsFileName);
    const IniPaths history = LocateAppFile(folders, kHistoryFileName);
    LoadedSettings loaded = LoadSettingsFiles(settings.read, history.read);
    ASSERT_EQ(loaded.protocols.size(), 2u);
    EXPECT_EQ(loaded.protocols[0]->szCmd[0], "0102");

    SaveLanguage(settings, 0);  // EN in the file: CN is written
    loaded.protocols[0]->szCmd[0] = "0A0B";
    SaveHistoryFile(history, *loaded.protocols[0]);

    EXPECT_EQ(program.Read(kSettingsFileName), kTwoProtocols);
    EXPECT_EQ(program.Read(kHistoryFileName), kProgramHistory);
    std::string expected = kTwoProtocols;
    expected.replace(expected.find("szLanguage=EN"), 13, "szLanguage=CN");
    EXPECT_EQ(ReadUser(kSettingsFileName), expected);
    const std::string rows = ReadUser(kHistoryFileName);
    EXPECT_NE(rows.find("[szProtocolName0]\r\nCMD0=0A0B\r\nCMD1=\r\n"), std::string::npos) << rows;
    EXPECT_NE(rows.find("[szProtocolName1]\r\nADDR0=01\r\nCMD0=0304\r\n"), std::string::npos)
        << rows;

    // From now on the user's files are read, and the program's no more.
    program.Write(kSettingsFileName, "[Setting]\r\nnProtocolCount=0\r\n");
    const LoadedSettings again = LoadSettingsFiles(LocateAppFile(folders, kSettingsFileName).read,
                                                   LocateAppFile(folders, kHistoryFileName).read);
    ASSERT_EQ(again.protocols.size(), 2u);
    EXPECT_EQ(again.protocols[0]->szCmd[0], "0A0B");
    EXPECT_EQ(again.language, 0);
}

// A language that the file already says writes nothing, so the user's folder
// is not made; with no user's folder known, the files stay beside the program.
TEST_F(AppFileRule, NothingIsCopiedWithoutAWrite)
{
    SaveLanguage(LocateAppFile(Folders(false), kSettingsFileName), 1);
    EXPECT_FALSE(fs::exists(PathFromText(program.Path("home"))));
    AppFileFolders nowhere = Folders(false);
    nowhere.user.clear();
    EXPECT_EQ(LocateAppFile(nowhere, kHistoryFileName).write, program.Path(kHistoryFileName));
}
