// Writing a file in one step: the new bytes go into a temporary file in the
// same folder, which then takes the old file's place. Whoever reads the file,
// and whatever stops the program half-way, finds the old file or the new one,
// never a part of either.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// Replaces (or creates) the file at `path` with `bytes`. The new file keeps
// the old one's permissions and, where the system lets it, its owner; a link
// is followed, so that the file it leads to is the one replaced. False when
// any step fails (a full disk, a folder that cannot be written, a failing
// rename): the old file is then as it was, and no temporary file is left.
bool ReplaceFileContents(const std::string& path, std::string_view bytes);

// Tests: the last step, which puts the written temporary file `from` in the
// place of `to`. An empty one gives back the system's own.
using FilePlacer = std::function<bool(const std::string& from, const std::string& to)>;
void SetFilePlacerForTests(FilePlacer placer);
