// The SetupDi/HidD backend on this machine, which has no reader.
#include <gtest/gtest.h>

#include "hollet/CxHid.h"
#include "hollet/hid_backend.h"
#include "platform_hid_checks.h"

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

TEST(SetupDiBackend, CallsOnADeviceThatIsNoHidDeviceFail)
{
    ExpectNoHidCallSucceedsOn("NUL", "\\\\?\\hid#none");
}

}  // namespace
