#include "quillard/settings.h"

#include <climits>
#include <cstdio>

#include "hollet/com_names.h"
#include "quillard/app_files.h"
#include "quillard/ini_file.h"

namespace {

std::string g_appFolder;

// A value that is present and not empty.
bool ReadPresent(const IniDocument& document, std::string_view section, std::string_view key,
                 std::string& value)
{
    return ReadIniValue(document, section, key, value) > 0;
}

std::string Numbered(const char* prefix, long long n)
{
    return prefix + std::to_string(n);
}

}  // namespace

int AtoiValue(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) return static_cast<int>(-value);
    return static_cast<int>(value > INT_MAX ? INT_MAX : value);
}

LoadedSettings LoadSettingsFiles(const std::string& settingsPath, const std::string& historyPath)
{
    // Each file is read once; every value comes from what was read.
    const IniDocument settings = IniDocument::Load(settingsPath);
    const IniDocument history = IniDocument::Load(historyPath);
    LoadedSettings loaded;
    std::string value;
    ReadIniValue(settings, "Setting", "szLanguage", value);
    loaded.language = value.compare(0, 2, "EN") == 0 ? 1 : 0;

    if (!ReadPresent(settings, "Setting", "nProtocolCount", value)) {
        loaded.fatal = true;
        return loaded;
    }
    const int count = AtoiValue(value);
    for (int i = 0; i < count; ++i) {
        auto entry = std::make_unique<ProtocolEntry>();
        entry->szSection = Numbered("szProtocolName", i);
        const std::string& section = entry->szSection;
        if (!ReadPresent(settings, "Setting", section, entry->szProtocolName) ||
            !ReadPresent(settings, section, "szDllName", entry->szDllName)) {
            loaded.fatal = true;
            break;
        }
        ReadIniValue(settings, section, "nAddrLen", value);
        // A negative length would enable an address no one can type: no address.
        entry->nAddrLen = std::max(0, AtoiValue(value));
        ReadIniValue(settings, section, "bHexMode", value);
        entry->bHexMode = value == "TRUE" ? 1 : 0;
        if (!ReadPresent(settings, section, "nDevCount", value)) {
            loaded.fatal = true;
            break;
        }
        const int devCount = AtoiValue(value);
        for (int j = 0; j < devCount && !loaded.fatal; ++j) {
            if (ReadPresent(settings, section, Numbered("szDevName", j), value))
                entry->szDevNames.push_back(value);
            else
                loaded.fatal = true;
        }
        if (loaded.fatal) break;
        for (int j = 0; j < kHistoryRows; ++j) {
            ReadIniValue(history, section, Numbered("CMD", j), entry->szCmd[j]);
            if (entry->nAddrLen > 0)
                ReadIniValue(history, section, Numbered("ADDR", j), entry->szAddr[j]);
        }
        loaded.protocols.push_back(std::move(entry));
    }
    return loaded;
}

// The keys are set in the order ADDR0, CMD0, ADDR1, ... and the file is
// written once.
void SaveHistoryFile(const IniPaths& paths, const ProtocolEntry& entry)
{
    auto history = IniDocument::LoadForWrite(paths.read);
    if (!history) return;
    for (int j = 0; j < kHistoryRows; ++j) {
        if (entry.nAddrLen > 0) history->Set(entry.szSection, Numbered("ADDR", j), entry.szAddr[j]);
        history->Set(entry.szSection, Numbered("CMD", j), entry.szCmd[j]);
    }
    MakeWriteFolder(paths);
    history->Save(paths.write);
}

void SaveLanguage(const IniPaths& paths, int language)
{
    const std::string code = language == 1 ? "EN" : "CN";
    std::string stored;
    if (ReadIniValue(paths.read, "Setting", "szLanguage", stored) == 0 ||
        stored.compare(0, 2, code) != 0) {
        MakeWriteFolder(paths);
        WriteIniValue(paths, "Setting", "szLanguage", code);
    }
}

std::string AppFolder()
{
    return g_appFolder.empty() ? ProgramFolder() : g_appFolder;
}

void SetAppFolder(std::string folder)
{
    g_appFolder = std::move(folder);
}

std::string FilePathIn(std::string folder, std::string_view fileName)
{
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += kPathSeparator;
    return folder + std::string(fileName);
}

std::string MakeAppFilePath(std::string_view fileName)
{
    return FilePathIn(AppFolder(), fileName);
}
