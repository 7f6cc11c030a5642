// The way a port's path leads to its device: every link on the way and the
// device it ends at. A pseudo-terminal's number is given to the next one made
// as soon as the old one is gone, so only a changed way tells that the device
// now there is the one that went away come back, not some other program's
// terminal that happens to have its number.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// A link file as made: a link made anew may get the inode number of the one
// it replaces, but hardly its change time to the nanosecond as well.
struct LinkIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    long changedSeconds = 0;
    long changedNanoseconds = 0;

    bool operator==(const LinkIdentity&) const = default;
};

struct DeviceRoute {
    std::vector<LinkIdentity> links;
    dev_t device = 0;  // the device at the end, 0 if none
    bool pseudoTerminal = false;

    bool operator==(const DeviceRoute&) const = default;
};

// Follows `path` without opening anything.
DeviceRoute RouteOf(const std::string& path);
