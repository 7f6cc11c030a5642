#include "control_template.h"

#include <array>

namespace {

using K = ControlKind;
constexpr unsigned kTab = kTabStop;
constexpr unsigned kTabGroup = kTabStop | kGroup;

// Send row k (1 to 10): template row 1 lies at y 311; rows 2 to 10 are placed by
// the row layout at start-up, so their template places only keep them apart.
constexpr int RowY(int k)
{
    return 311 + (k - 1) * 18;
}

constexpr DialogItem Address(int k)
{
    return {1015 + k, K::kHexEdit, "", 161, RowY(k), 37, 14, kTab | (k > 1 ? kHidden : 0u)};
}
constexpr DialogItem Command(int k)
{
    return {1025 + k, K::kHexEdit, "", 201, RowY(k), 352, 14, kTab | (k > 1 ? kHidden : 0u)};
}
constexpr DialogItem Timeout(int k)
{
    return {1035 + k, K::kEdit, "", 556, RowY(k), 37, 14, kTab | (k > 1 ? kHidden : 0u)};
}
constexpr DialogItem Send(int k)
{
    return {1002 + k, K::kPushButton, "发送", 600, RowY(k), 45, 14, kTab | (k > 1 ? kHidden : 0u)};
}
constexpr DialogItem Loop(int k)
{
    return {1045 + k, K::kCheckBox, "", 650, RowY(k) + 2, 12, 10, kTab};
}

// Reader-name static i (0 to 23): three rows of eight.
constexpr DialogItem ReaderName(int i)
{
    const int column = i % 8;
    constexpr int kRowY[] = {43, 58, 72};
    return {1063 + i, K::kLabel, "Static", 161 + 64 * column, kRowY[i / 8], column == 7 ? 54 : 62,
            8,        kGroup};
}

// The order is the template's: it gives the focus order, in which rows 7 to 9
// of the send pane interleave as they always have.
constexpr auto kMainControls = std::to_array<DialogItem>({
    {1096, K::kGroupBox, "串口设置", 8, 10, 124, 84, 0},
    {1092, K::kLabelRight, "串口号:", 19, 28, 31, 11, kGroup},
    {1058, K::kComboDropDown, "", 53, 25, 70, 201, kTabGroup},
    {1093, K::kLabelRight, "波特率:", 14, 43, 36, 11, kGroup},
    {1060, K::kComboDropDown, "", 53, 41, 70, 164, kTabGroup},
    {1094, K::kLabelRight, "字符超时:", 12, 58, 38, 11, kGroup},
    {1087, K::kEdit, "", 53, 57, 68, 14, kTabGroup},
    {1015, K::kDefPushButton, "打开", 71, 75, 50, 14, kTab},
    {1095, K::kGroupBox, "HID设置", 8, 104, 124, 59, 0},
    {1088, K::kComboDropDown, "", 13, 121, 114, 201, kTabGroup},
    {1091, K::kDefPushButton, "查找", 15, 141, 50, 14, kTab},
    {1062, K::kDefPushButton, "打开", 73, 141, 50, 14, kTab},
    {1099, K::kGroupBox, "Language", 8, 176, 124, 31, 0},
    {1097, K::kRadioButton, "Chinese", 16, 190, 45, 9, kGroup},
    {1098, K::kRadioButton, "English", 72, 190, 47, 9, 0},
    {1061, K::kTabControl, "Tab1", 141, 7, 541, 352, kGroup},
    {1090, K::kGroupBox, "支持的读卡器", 155, 30, 513, 55, 0},
    ReaderName(0),
    ReaderName(1),
    ReaderName(2),
    ReaderName(3),
    ReaderName(4),
    ReaderName(5),
    ReaderName(6),
    ReaderName(7),
    ReaderName(8),
    ReaderName(9),
    ReaderName(10),
    ReaderName(11),
    ReaderName(12),
    ReaderName(13),
    ReaderName(14),
    ReaderName(15),
    ReaderName(16),
    ReaderName(17),
    ReaderName(18),
    ReaderName(19),
    ReaderName(20),
    ReaderName(21),
    ReaderName(22),
    ReaderName(23),
    {1057, K::kGroupBox, "发送控制", 155, 296, 513, 53, 0},
    Address(1),
    Command(1),
    Timeout(1),
    Send(1),
    Loop(1),
    Address(2),
    Command(2),
    Timeout(2),
    Send(2),
    Loop(2),
    Address(3),
    Command(3),
    Timeout(3),
    Send(3),
    Loop(3),
    Address(4),
    Command(4),
    Timeout(4),
    Send(4),
    Loop(4),
    Address(5),
    Command(5),
    Timeout(5),
    Send(5),
    Loop(5),
    Address(6),
    Command(6),
    Timeout(6),
    Send(6),
    Loop(6),
    Address(8),
    Command(7),
    Timeout(7),
    Send(7),
    Loop(7),
    Address(9),
    Command(8),
    Timeout(8),
    Send(8),
    Loop(8),
    Address(7),
    Command(9),
    Timeout(9),
    Send(9),
    Loop(9),
    Address(10),
    Command(10),
    Timeout(10),
    Send(10),
    Loop(10),
    {1059, K::kLabel, "设备标识", 163, 332, 45, 8, kGroup},
    {1002, K::kPushButton, "H", 507, 332, 11, 11, kTab},
    {1001, K::kPushButton, "+", 526, 332, 11, 11, kTab},
    {1013, K::kPushButton, "-", 540, 332, 11, 11, kTab},
    {1056, K::kLabelCentered, "超时(ms)", 551, 333, 47, 8, kGroup},
    {1014, K::kPushButton, "循环发送", 599, 330, 59, 14, kTab},
    {1089, K::kFlatPushButton, "清除", 637, 5, 45, 13, kTab},
    {1000, K::kLogEdit, "", 155, 94, 513, 196, kTab},
});
static_assert(kMainControls.size() == 100);

constexpr auto kAboutControls = std::to_array<DialogItem>({
    {kNoId, K::kIcon, "", 11, 14, 20, 20, 0},
    {kNoId, K::kLabelNoPrefix, "Quillard 1.2 版", 40, 10, 119, 8, 0},
    {kNoId, K::kLabel, "Copyright (C) 2026", 40, 25, 119, 8, 0},
    {1, K::kDefPushButton, "确定", 178, 7, 50, 14, kTabGroup},
});

constexpr DialogTemplate kMainTemplate{102, "", 728, 541, kMainControls};
constexpr DialogTemplate kAboutTemplate{100, "关于Quillard", 235, 55, kAboutControls};

// MulDiv's rounding: to the nearest integer, halves away from zero.
int MulDivRounded(int value, int numerator, int denominator)
{
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : -((-product + half) / denominator));
}

}  // namespace

const DialogTemplate& MainDialogTemplate()
{
    return kMainTemplate;
}

const DialogTemplate& AboutDialogTemplate()
{
    return kAboutTemplate;
}

int DialogUnitsToPixelsX(int du)
{
    return MulDivRounded(du, kBaseUnitX, 4);
}

int DialogUnitsToPixelsY(int du)
{
    return MulDivRounded(du, kBaseUnitY, 8);
}
