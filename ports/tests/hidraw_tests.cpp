// The hidraw backend on this machine: how interfaces are listed, and what it
// does with devices that are no reader.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "hollet/CxHid.h"
#include "hollet/hid_backend.h"
#include "hollet/hidraw_enumeration.h"
#include "platform_hid_checks.h"

namespace {

using ::testing::ElementsAre;
constexpr unsigned long kNone = 0xFFFFFFFF;

TEST(HidrawEnumeration, ListsInterfacesInNumericOrder)
{
    char folder[] = "/tmp/quillard-hidraw-XXXXXX";
    const std::string root = mkdtemp(folder);
    for (const char* name : {"hidraw10", "hidraw2", "hidraw0", "hidrawX", "input3"})
        std::filesystem::create_directories(root + "/sys/" + name);
    const HidrawRoots roots{root + "/sys", "/dev"};
    EXPECT_THAT(ListHidrawInterfaces(roots),
                ElementsAre("/dev/hidraw0", "/dev/hidraw2", "/dev/hidraw10"));
    EXPECT_TRUE(ListHidrawInterfaces({root + "/missing", "/dev"}).empty());
    std::filesystem::remove_all(root);
}

TEST(HidrawBackend, ThisMachineHasNoReader)
{
    SetHidBackend(nullptr);
    EXPECT_EQ(CxHid::FindFirstHidDev(), kNone);
}

TEST(HidrawBackend, CallsOnADeviceThatIsNoHidrawNodeFail)
{
    ExpectNoHidCallSucceedsOn("/dev/null", "/dev/hidraw-none");
}

}  // namespace
