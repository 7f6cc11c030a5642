#include "language_texts.h"

#include <array>

namespace {

constexpr const char* kSendCn = "发送";
constexpr const char* kSendEn = "Send";

constexpr auto kControlTexts = std::to_array<ControlTexts>({
    {1003, kSendCn, kSendEn},
    {1004, kSendCn, kSendEn},
    {1005, kSendCn, kSendEn},
    {1006, kSendCn, kSendEn},
    {1007, kSendCn, kSendEn},
    {1008, kSendCn, kSendEn},
    {1009, kSendCn, kSendEn},
    {1010, kSendCn, kSendEn},
    {1011, kSendCn, kSendEn},
    {1012, kSendCn, kSendEn},
    {1096, "串口设置", "COM"},
    {1092, "串口号:", "Port:"},
    {1093, "波特率:", "Baudrate:"},
    {1094, "字符超时:", "Timeout:"},
    {1015, "打开", "Open"},
    {1095, "HID设置", "HID"},
    {1062, "打开", "Open"},
    {1091, "查找", "Search"},
    {1057, "发送控制", "Send Pane"},
    {1059, "设备标识", "Device ID"},
    {1090, "支持的读写器", "Reader List"},
    {1014, "循环发送", "Loop Trans"},
    {1056, "超时(ms)", "Timeout/ms"},
    {1089, "清除", "Clear"},
});

}  // namespace

std::span<const ControlTexts> LanguageControlTexts()
{
    return kControlTexts;
}
