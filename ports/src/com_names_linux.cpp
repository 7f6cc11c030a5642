#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>

#include "hollet/com_names.h"

namespace fs = std::filesystem;

namespace {

struct ComBlock {
    const char* prefix;
    unsigned long first;  // COM number of prefix0
};
constexpr unsigned long kBlockSize = 32;
constexpr ComBlock kBlocks[] = {
    {"ttyS", 1}, {"ttyUSB", 33}, {"ttyACM", 65}, {"rfcomm", 97}, {"ttyAMA", 129},
};
constexpr unsigned long kMaxComNumber = 1024;

std::mutex g_rootsLock;
ComPortRoots g_defaultRoots;

std::string LinkFolder(const ComPortRoots& roots)
{
    return roots.linkFolder.empty() ? ProgramFolder() + "/ComPorts" : roots.linkFolder;
}

// A ttyS node exists for every possible on-board UART; only those whose UART
// type is known are there.
bool IsPresent(const ComPortRoots& roots, const std::string& tty, bool isUart)
{
    std::error_code error;
    const fs::path sys = fs::path(roots.sysTtyFolder) / tty;
    if (!fs::exists(sys, error)) return false;
    if (!isUart) return true;
    std::ifstream type(sys / "type");
    int value = 0;
    return type >> value && value != 0;
}

std::string BlockDevice(const ComPortRoots& roots, unsigned long number, std::string* tty = nullptr,
                        bool* isUart = nullptr)
{
    for (const ComBlock& block : kBlocks) {
        if (number >= block.first && number < block.first + kBlockSize) {
            const std::string name = block.prefix + std::to_string(number - block.first);
            if (tty) *tty = name;
            if (isUart) *isUart = block.first == 1;
            return roots.devFolder + "/" + name;
        }
    }
    return {};
}

}  // namespace

std::string ProgramFolder()
{
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : exe.parent_path().string();
}

void SetDefaultComPortRoots(const ComPortRoots& roots)
{
    std::lock_guard<std::mutex> guard(g_rootsLock);
    g_defaultRoots = roots;
}

ComPortRoots DefaultComPortRoots()
{
    std::lock_guard<std::mutex> guard(g_rootsLock);
    return g_defaultRoots;
}

std::string ResolveComDevice(unsigned long number, const ComPortRoots& roots)
{
    if (number == 0 || number > kMaxComNumber) return {};
    std::error_code error;
    const fs::path link = fs::path(LinkFolder(roots)) / ("COM" + std::to_string(number));
    if (fs::exists(fs::symlink_status(link, error))) return link.string();
    return BlockDevice(roots, number);
}

bool ComPortListAvailable(const ComPortRoots& roots)
{
    std::error_code error;
    return fs::is_directory(roots.sysTtyFolder, error) ||
           fs::is_directory(LinkFolder(roots), error);
}

std::vector<ComPortEntry> ListComPorts(const ComPortRoots& roots)
{
    std::vector<ComPortEntry> ports;
    std::vector<bool> linked(kMaxComNumber + 1, false);
    std::error_code error;

    // Links first: each overrides the block rule for its number.
    for (const auto& item : fs::directory_iterator(LinkFolder(roots), error)) {
        const std::string name = item.path().filename().string();
        unsigned long number = 0;
        int used = 0;
        if (std::sscanf(name.c_str(), "COM%lu%n", &number, &used) != 1 ||
            used != static_cast<int>(name.size()) || number == 0 || number > kMaxComNumber)
            continue;
        std::error_code ignored;
        if (!fs::exists(item.path(), ignored)) continue;  // a link to nothing
        const fs::path target = fs::canonical(item.path(), ignored);
        ports.push_back({number, "\\\\.\\COM" + std::to_string(number),
                         ignored ? item.path().string() : target.string()});
        linked[number] = true;
    }
    for (const ComBlock& block : kBlocks) {
        for (unsigned long i = 0; i < kBlockSize; ++i) {
            const unsigned long number = block.first + i;
            std::string tty;
            bool isUart = false;
            const std::string device = BlockDevice(roots, number, &tty, &isUart);
            if (linked[number] || !IsPresent(roots, tty, isUart)) continue;
            ports.push_back({number, "\\\\.\\COM" + std::to_string(number), device});
        }
    }
    std::sort(ports.begin(), ports.end(),
              [](const ComPortEntry& a, const ComPortEntry& b) { return a.number < b.number; });
    return ports;
}
