// The settings file (language, protocol catalogue) and the history file (the
// ten send rows of each protocol), both beside the program.
#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "quillard/ini_file.h"

inline constexpr const char* kSettingsFileName = "Vemra_Test.ini";
inline constexpr const char* kHistoryFileName = "History.ini";
inline constexpr const char* kSettingsError = "Vemra_Test.ini error!";
inline constexpr int kHistoryRows = 10;

// One protocol of the catalogue.
class ProtocolEntry {
public:
    virtual ~ProtocolEntry() = default;

    std::string szProtocolName;           // the tab's label
    std::string szSection;                // "szProtocolName<i>", in both files
    std::vector<std::string> szDevNames;  // supported readers
    std::string szDllName;                // plug-in file in Protocols/
    std::array<std::string, kHistoryRows> szCmd;
    std::array<std::string, kHistoryRows> szAddr;
    int nAddrLen = 0;  // address bytes; 0: no address
    int bHexMode = 0;
};

using ProtocolCatalogue = std::vector<std::unique_ptr<ProtocolEntry>>;

struct LoadedSettings {
    int language = 0;  // 0 Chinese, 1 English
    ProtocolCatalogue protocols;
    bool fatal = false;  // a key the catalogue needs is missing: quit
};

// Reads the language and the catalogue, with each entry's history. Reading
// stops at the first missing key the catalogue needs; the entries before it stay.
LoadedSettings LoadSettingsFiles(const std::string& settingsPath, const std::string& historyPath);

// Writes the ten rows of `entry` into the history file (address keys only for
// a protocol with an address).
void SaveHistoryFile(const IniPaths& history, const ProtocolEntry& entry);

// Writes the language ("EN" or "CN") unless the stored value already says it.
void SaveLanguage(const IniPaths& settings, int language);

// A number as the C library's atoi reads one; beyond the int range it stops at
// the nearest end of the range.
int AtoiValue(std::string_view text);

// The folder the program's files live in: the program's own, unless set.
std::string AppFolder();
void SetAppFolder(std::string folder);  // tests: a folder of their own; "" resets
// The separator of folders in this system's paths ('/', or '\\' on Windows).
inline constexpr char kPathSeparator =
    static_cast<char>(std::filesystem::path::preferred_separator);
// A file beside the program.
std::string MakeAppFilePath(std::string_view fileName);
// The file `fileName` in `folder`, with a separator between them unless the
// folder ends in one.
std::string FilePathIn(std::string folder, std::string_view fileName);
