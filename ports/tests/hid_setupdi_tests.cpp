// The SetupDi/HidD backend on this machine, which has no reader.
#include <gtest/gtest.h>

#include "hollet/CxHid.h"
#include "hollet/hid_backend.h"

namespace {

constexpr unsigned long kNone = 0xFFFFFFFF;

TEST(SetupDiBackend, SearchEnumeratesTheHidClassAndFindsNoReader)
{
    SetHidBackend(nullptr);
    auto devices = PlatformHidBackend().GetClassDevs();
    ASSERT_NE(devices, nullptr);
    unsigned long index = 0;
    while (devices->EnumInterface(index) == HidDeviceSet::Enum::kFound)
        ++index;
    EXPECT_EQ(devices->EnumInterface(index), HidDeviceSet::Enum::kNoMoreItems);
    EXPECT_EQ(CxHid::FindFirstHidDev(), kNone);
    CxHid hid;
    EXPECT_EQ(hid.Open(0), 0);
}

// A device that is no HID device: every HID call fails, so that a search
// meeting it reports no reader.
TEST(SetupDiBackend, CallsOnADeviceThatIsNoHidDeviceFail)
{
    HidBackend& backend = PlatformHidBackend();
    const PortHandle handle = backend.OpenDevice("NUL", false);
    ASSERT_NE(handle, kInvalidPortHandle);
    HidAttributes attributes;
    unsigned char report[65] = {};
    EXPECT_FALSE(backend.GetAttributes(handle, attributes));
    EXPECT_FALSE(backend.SetOutputReport(handle, report, sizeof report));
    EXPECT_FALSE(backend.GetInputReport(handle, report, sizeof report));
    backend.CloseDevice(handle);
    EXPECT_EQ(backend.OpenDevice("\\\\?\\hid#none", false), kInvalidPortHandle);
}

}  // namespace
