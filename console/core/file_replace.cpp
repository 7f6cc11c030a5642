#include "quillard/file_replace.h"
#include "quillard/concatenated.h"

#include <atomic>
#include <filesystem>
#include <random>

#include "file_replace_os.h"
#include "quillard/path_text.h"

namespace {

FilePlacer g_placer;

}  // namespace

std::string TempPathBeside(const std::string& target)
{
    static const unsigned process = std::random_device()();
    static std::atomic<unsigned> serial{0};
    const std::filesystem::path path = PathFromText(target);
    const std::string name =
        Concatenated({".", TextOfPath(path.filename()), ".", std::to_string(process), ".",
                      std::to_string(serial++), ".tmp"});
    return TextOfPath(path.parent_path() / PathFromText(name));
}

bool ReplaceFileContents(const std::string& path, std::string_view bytes)
{
    const std::string target = file_replace_os::ResolveTarget(path);
    const std::string temp = file_replace_os::WriteBeside(target, bytes);
    if (temp.empty()) return false;
    const bool placed =
        g_placer ? g_placer(temp, target) : file_replace_os::PutInPlace(temp, target);
    if (!placed) file_replace_os::RemoveFile(temp);
    return placed;
}

void SetFilePlacerForTests(FilePlacer placer)
{
    g_placer = std::move(placer);
}
