#include "quillard/file_replace.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "program_folder.h"
#include "quillard/ini_file.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(PathFromText(folder)))
        names.push_back(TextOfPath(item.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

constexpr const char* kOldHistory = "[szProtocolName0]\r\nCMD0=0102\r\nCMD1=A0\r\n";

}  // namespace

// A save that fails at its last step, the rename, leaves the old file byte for
// byte and no temporary file beside it; the failure is only the result.
TEST(FileReplace, AFailingRenameLeavesTheOldFile)
{
    TestProgramFolder folder;
    fs::create_directory(PathFromText(folder.Path("files")));
    folder.Write("files/History.ini", kOldHistory);
    const std::string path = folder.Path("files/History.ini");
    IniDocument document = *IniDocument::LoadForWrite(path);
    document.Set("szProtocolName0", "CMD0", "0A0B");

    std::vector<std::pair<std::string, std::string>> renames;
    SetFilePlacerForTests([&](const std::string& from, const std::string& to) {
        renames.emplace_back(from, to);
        EXPECT_TRUE(fs::exists(PathFromText(from)));  // written whole, beside the file
        EXPECT_EQ(PathFromText(from).parent_path(), PathFromText(to).parent_path());
        return false;
    });
    EXPECT_FALSE(document.Save(path));
    EXPECT_FALSE(WriteIniValue(path, "szProtocolName0", "CMD1", "FF"));
    SetFilePlacerForTests({});
    ASSERT_EQ(renames.size(), 2u);
    EXPECT_EQ(renames[0].second, path);
    EXPECT_NE(renames[0].first, renames[1].first);  // each save its own temporary file
    EXPECT_EQ(folder.Read("files/History.ini"), kOldHistory);
    EXPECT_EQ(FilesIn(folder.Path("files")), std::vector<std::string>{"History.ini"});

    // With the system's own rename the save goes through, and leaves one file.
    EXPECT_TRUE(document.Save(path));
    EXPECT_EQ(folder.Read("files/History.ini"), "[szProtocolName0]\r\nCMD0=0A0B\r\nCMD1=A0\r\n");
    EXPECT_EQ(FilesIn(folder.Path("files")), std::vector<std::string>{"History.ini"});
}
