#include "quillard/protocol_library.h"

#include <cstdio>
#include <filesystem>

#include "quillard/path_text.h"
#include "quillard/settings.h"

namespace {

std::string Formatted(const char* format, const std::string& argument)
{
    char text[1400];
    std::snprintf(text, sizeof text, format, argument.c_str());
    return text;
}

// The file for a configured path: the path itself, or where it names a
// Windows ".dll" that is not here, the same name with this system's suffix.
std::string FileForPath(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::exists(PathFromText(path), error) || path.size() < 4) return path;
    std::string suffix = path.substr(path.size() - 4);
    for (char& c : suffix)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (suffix != ".dll") return path;
    const std::string native = path.substr(0, path.size() - 4) + kNativeLibrarySuffix;
    return fs::exists(PathFromText(native), error) ? native : path;
}

// The file to load, as a full path: a bare name ("Corvane.so") is a file in
// the current folder, never a library the system's loader would look for on
// its own search path (LD_LIBRARY_PATH, the program's folder, the system's).
std::string FileToLoad(const std::string& path)
{
    const std::string file = FileForPath(path);
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(PathFromText(file), error);
    return error ? file : TextOfPath(full);
}

}  // namespace

ProtocolApi& LoadedProtocolApi()
{
    static ProtocolApi api;
    return api;
}

std::string ProtocolLibPath(const std::string& dllName)
{
    return MakeAppFilePath("Protocols") + kPathSeparator + dllName;
}

int LoadProtocolLib(ModuleHandle& handle, const std::string& dllName,
                    const ProtocolLoadReport& report)
{
    return LoadProtocolFile(handle, ProtocolLibPath(dllName), report);
}

std::string LoadFailedMessage(const std::string& dllName)
{
    return Formatted("Load %s Faild!!!", dllName);
}

int LoadProtocolFile(ModuleHandle& handle, const std::string& path,
                     const ProtocolLoadReport& report)
{
    handle = OpenLibrary(FileToLoad(path));
    if (!handle) {
        if (report.showMessage) report.showMessage(Formatted("Can't load %s!", path));
        if (report.requestQuit) report.requestQuit();
        return 0;
    }
    ProtocolApi& api = LoadedProtocolApi();
    const char* missing = nullptr;
    if (!(api.PCToReader =
              reinterpret_cast<tlx_PCToReader_fn>(FindExport(handle, "tlx_PCToReader"))))
        missing = "tlx_PCToReader";
    else if (!(api.ReaderToPC =
                   reinterpret_cast<tlx_ReaderToPC_fn>(FindExport(handle, "tlx_ReaderToPC"))))
        missing = "tlx_ReaderToPC";
    else if (!(api.CheckData =
                   reinterpret_cast<tlx_CheckData_fn>(FindExport(handle, "tlx_CheckData"))))
        missing = "tlx_CheckData";
    if (missing) {
        if (report.showMessage)
            report.showMessage(Formatted("Function: %s can't be found.", missing));
        CloseLibrary(handle);
        handle = nullptr;
        api = {};
        return 0;
    }
    return 1;
}

int FreeProtocolLib(ModuleHandle& handle)
{
    int result = 0;
    if (handle) {
        result = CloseLibrary(handle);
        handle = nullptr;
    }
    LoadedProtocolApi() = {};
    return result;
}
