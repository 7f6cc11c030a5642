// The hidraw backend on this machine: how interfaces are listed, and what it
// does with devices that are no reader.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "hollet/CxHid.h"
#include "hollet/hid_backend.h"
#include "hollet/hidraw_enumeration.h"

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

// What the hidraw backend does with a device that is no hidraw node: every HID
// call fails, so that a search meeting it reports no reader.
TEST(HidrawBackend, CallsOnADeviceThatIsNoHidrawNodeFail)
{
    HidBackend& backend = PlatformHidBackend();
    const PortHandle handle = backend.OpenDevice("/dev/null", false);
    ASSERT_NE(handle, kInvalidPortHandle);
    HidAttributes attributes;
    unsigned char report[65] = {};
    EXPECT_FALSE(backend.GetAttributes(handle, attributes));
    EXPECT_FALSE(backend.SetOutputReport(handle, report, sizeof report));
    EXPECT_FALSE(backend.GetInputReport(handle, report, sizeof report));
    backend.CloseDevice(handle);
    EXPECT_EQ(backend.OpenDevice("/dev/hidraw-none", false), kInvalidPortHandle);
}

}  // namespace
