#include "device_route_linux.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr int kMaxLinks = 40;  // as many as the kernel follows

// Unix 98 pseudo-terminal far ends take majors 136 to 143.
bool IsPseudoTerminal(dev_t device)
{
    return major(device) >= 136 && major(device) <= 143;
}

}  // namespace

DeviceRoute RouteOf(const std::string& path)
{
    DeviceRoute route;
    fs::path at = path;
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        struct stat link {};
        if (::lstat(at.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) break;
        route.links.push_back({link.st_dev, link.st_ino, static_cast<long>(link.st_ctim.tv_sec),
                               static_cast<long>(link.st_ctim.tv_nsec)});
        std::error_code error;
        const fs::path target = fs::read_symlink(at, error);
        if (error) break;
        at = target.is_absolute() ? target : at.parent_path() / target;
    }
    struct stat device {};
    if (::stat(path.c_str(), &device) == 0 && S_ISCHR(device.st_mode)) {
        route.device = device.st_rdev;
        route.pseudoTerminal = IsPseudoTerminal(device.st_rdev);
    }
    return route;
}
