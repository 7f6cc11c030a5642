// What a file replacement needs of the system; one source file per system.
#pragma once

#include <string>
#include <string_view>

namespace file_replace_os {

// The file that writing `path` replaces: `path` itself, or the file its link
// leads to.
std::string ResolveTarget(const std::string& path);
// A new file beside `target` holding `bytes`, flushed to the disk, with the
// permissions (and owner) of `target` when that exists; its path, or "" when
// it could not be made whole (and then it is gone).
std::string WriteBeside(const std::string& target, std::string_view bytes);
// Puts `temp` in the place of `target` in one step.
bool PutInPlace(const std::string& temp, const std::string& target);
void RemoveFile(const std::string& path);

}  // namespace file_replace_os

// A name for a temporary file in the folder of `target` that no other file
// has yet, as far as the name goes: the target's name, hidden, and a number
// of this process and one of the call.
std::string TempPathBeside(const std::string& target);
