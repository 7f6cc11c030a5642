#include "quillard/port_texts.h"

#include "quillard/field_parse.h"

namespace {

constexpr std::string_view kHidEntryPrefix = "Vemra HIDDevice ID: ";

}  // namespace

unsigned long ComNumberFromText(std::string_view text)
{
    return NumberAfterLeading(text, "COM");
}

std::string LineSettingWithoutBlanks(std::string_view text)
{
    return WithoutSpaces(text);
}

std::string_view ComNameText(std::string_view name)
{
    while (!name.empty() && (name.front() == '\\' || name.front() == '.'))
        name.remove_prefix(1);
    return name;
}

std::string_view DeviceText(std::string_view device)
{
    if (device.starts_with("/dev/")) device.remove_prefix(5);
    return device;
}

std::string ComListEntryText(std::string_view name, std::string_view device)
{
    std::string entry(ComNameText(name));
    device = DeviceText(device);
    if (!device.empty()) entry.append(" (").append(device).append(")");
    return entry;
}

std::string HidEntryText(unsigned long index)
{
    return std::string(kHidEntryPrefix) + std::to_string(index);
}

unsigned long HidIndexFromEntry(std::string_view entry)
{
    // as the window reads its box: every leading character that occurs in the prefix goes
    return NumberAfterLeading(entry, kHidEntryPrefix);
}

std::string ComOpenFailedMessage(unsigned long port)
{
    return "Open COM " + std::to_string(port) + " Failed！";
}

std::string HidOpenFailedMessage(unsigned long index, int language)
{
    return HidEntryText(index) + (language == 1 ? " Open failed!" : " 打开失败！");
}
