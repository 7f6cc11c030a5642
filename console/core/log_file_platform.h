// The log file's side of the platform, one implementation per OS.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// Creates or empties the file at `path` (UTF-8) for writing text; null with
// errno set on failure.
std::FILE* CreateLogFile(const std::string& path);
// The encoding of the file's text, by the console's rule for files on this
// platform, and its name for the header.
std::string LogFileText(std::string_view utf8);
const char* LogFileEncodingName();
// Makes what has been written survive a power loss; false on failure.
bool SyncLogFile(std::FILE* file);
// False when `path` no longer names the open file: it was deleted or moved.
bool LogFileStillAtPath(std::FILE* file, const std::string& path);
