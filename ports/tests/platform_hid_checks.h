// Checks that hold for the HID backend of every system.
#pragma once

#include <gtest/gtest.h>

#include "hollet/hid_backend.h"

// On a device that is no HID device (`notHid` opens, but is no such device)
// every HID call fails, so that a search meeting it reports no reader; a path
// to nothing (`missing`) does not open.
inline void ExpectNoHidCallSucceedsOn(const char* notHid, const char* missing)
{
    HidBackend& backend = PlatformHidBackend();
    const PortHandle handle = backend.OpenDevice(notHid, false);
    ASSERT_NE(handle, kInvalidPortHandle);
    HidAttributes attributes;
    unsigned char report[65] = {};
    EXPECT_FALSE(backend.GetAttributes(handle, attributes));
    EXPECT_FALSE(backend.SetOutputReport(handle, report, sizeof report));
    EXPECT_FALSE(backend.GetInputReport(handle, report, sizeof report));
    backend.CloseDevice(handle);
    EXPECT_EQ(backend.OpenDevice(missing, false), kInvalidPortHandle);
}
