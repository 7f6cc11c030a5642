#include "quillard/app_files.h"

#include <filesystem>

#include "app_folders.h"
#include "quillard/path_text.h"
#include "quillard/settings.h"

namespace fs = std::filesystem;

IniPaths LocateAppFile(const AppFileFolders& folders, std::string_view fileName)
{
    const std::string programFile = FilePathIn(folders.program, fileName);
    if (folders.programWritable || folders.user.empty()) return IniPaths(programFile);
    const std::string userFile = FilePathIn(folders.user, fileName);
    std::error_code error;
    if (fs::exists(fs::symlink_status(PathFromText(userFile), error))) return IniPaths(userFile);
    return IniPaths(programFile, userFile);
}

AppFileFolders CurrentAppFileFolders()
{
    AppFileFolders folders;
    folders.program = AppFolder();
    std::error_code error;
    folders.programWritable =
        CanWriteFolder(folders.program) &&
        !fs::exists(PathFromText(FilePathIn(folders.program, kInstalledForAllUsersMark)), error);
    if (!folders.programWritable) folders.user = UserAppFolder();
    return folders;
}

IniPaths LocateAppFile(std::string_view fileName)
{
    return LocateAppFile(CurrentAppFileFolders(), fileName);
}

void MakeWriteFolder(const IniPaths& paths)
{
    if (paths.write == paths.read) return;  // a file read where it is written has its folder
    fs::path made;
    std::error_code error;
    for (const fs::path& part : PathFromText(paths.write).parent_path()) {
        made /= part;
        if (fs::create_directory(made, error)) fs::permissions(made, fs::perms::owner_all, error);
    }
}
