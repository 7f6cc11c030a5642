// The texts of port selection and the numbers read from them: COM port names
// and line settings as typed, HID reader entries, and the messages of a port
// that does not open.
#pragma once

#include <string>
#include <string_view>

inline constexpr const char* kNoHidDeviceText = "No Find Vemra HID Device!";

// The port number in a COM text: "COM12" and "12" both give 12, a text
// without digits 0.
unsigned long ComNumberFromText(std::string_view text);

// A line setting as the serial port reads it: "19200, n,8,1" → "19200,n,8,1".
std::string LineSettingWithoutBlanks(std::string_view text);

// "\\.\COM3" → "COM3": the name a COM text is read from.
std::string_view ComNameText(std::string_view name);
// "/dev/ttyS2" → "ttyS2": the device behind a COM name, as lists show it.
std::string_view DeviceText(std::string_view device);

// "\\.\COM3" with the device /dev/ttyS2 → "COM3 (ttyS2)": the name a COM text
// is read from, and the device behind it.
std::string ComListEntryText(std::string_view name, std::string_view device);

// "Vemra HIDDevice ID: 5" for index 5, and back.
std::string HidEntryText(unsigned long index);
unsigned long HidIndexFromEntry(std::string_view entry);

// "Open COM %d Failed！" with the port number.
std::string ComOpenFailedMessage(unsigned long port);
// "Vemra HIDDevice ID: %d Open failed!" (language 1) or its Chinese text.
std::string HidOpenFailedMessage(unsigned long index, int language);
