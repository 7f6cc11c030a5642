// Where the settings and the history file are read from and written to.
//
// They live beside the program. When the program folder cannot be written
// (a program installed for every user of the machine), each user keeps the
// files in a folder of their own instead, the way Windows treats a program in
// a protected folder: a file there, once it exists, is the one read and
// written; until then the program folder's file is read, and the first write
// makes the user's file from it, so that writing only the language keeps the
// catalogue. A program folder that can be written is used as it is.
#pragma once

#include <string>
#include <string_view>

#include "quillard/ini_file.h"

struct AppFileFolders {
    std::string program;          // beside the program
    std::string user;             // the user's own folder for the files; "" for none
    bool programWritable = true;  // files can be made and replaced beside the program
};

// A file of this name in the program folder says that the folder is the
// machine's, installed for every user (a package under /usr): it is never
// written, also not by an administrator who could, whose files go to their
// own folder like any user's.
inline constexpr const char* kInstalledForAllUsersMark = "installed-for-all-users";

// The rule above, for `fileName` in `folders`.
IniPaths LocateAppFile(const AppFileFolders& folders, std::string_view fileName);

// The folders of this program and user, as they are now: the program folder
// (AppFolder), whether it can be written (and is not marked as the machine's), and the
// user's folder: on Linux $XDG_CONFIG_HOME/quillard (by default ~/.config/quillard),
// on Windows %APPDATA%\Quillard.
AppFileFolders CurrentAppFileFolders();
// LocateAppFile in the current folders; asked again at every use.
IniPaths LocateAppFile(std::string_view fileName);

// Makes the folder that `paths.write` goes into, when the file is written
// elsewhere than it is read (the user's folder, before its first file) and
// the folder is missing: each folder made is for its owner alone.
void MakeWriteFolder(const IniPaths& paths);
