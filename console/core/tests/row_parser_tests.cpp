#include "quillard/row_parser.h"

#include <gtest/gtest.h>

#include <climits>

#include "fake_port.h"
#include "program_folder.h"
#include "quillard/protocol_library.h"
#include "quillard/transaction.h"
#include "recording_sink.h"

namespace {

std::string Repeated(const std::string& text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

}  // namespace

// The edits' UTF-8 texts become GBK command text, and every check counts its
// bytes.
TEST(RowParser, TheCommandTextIsGbkAndItsBytesAreCounted)
{
    const std::string du = "\xB6\xC1", ka = "\xBF\xA8";  // 读, 卡 in GBK
    const struct {
        const char* name;
        int addrLen;
        bool hexMode;
        std::string address;
        std::string command;
        RowParseResult result;
        std::string prepared;
    } cases[] = {
        {"text mode: 读卡 as GBK", 0, false, "", "读卡", RowParseResult::kOk, du + ka},
        {"blanks removed between characters", 0, false, "", " 读 卡 ", RowParseResult::kOk,
         du + ka},
        {"hex mode: 读 alone is two bytes, even", 0, true, "", "读", RowParseResult::kOk, du},
        {"hex mode: 读A is three bytes, odd", 0, true, "", "读A", RowParseResult::kOddCommand, ""},
        {"text mode takes three bytes", 0, false, "", "读A", RowParseResult::kOk, du + "A"},
        {"an address of one GBK character is two bytes", 1, true, "读", "01", RowParseResult::kOk,
         du + "01"},
        {"an address of one character is not four bytes", 2, true, "读", "01",
         RowParseResult::kAddressLength, ""},
        {"hex commands are unchanged", 1, true, "0A", "00 A4 04 00", RowParseResult::kOk,
         "0A00A40400"},
        {"4096 bytes of Chinese pass", 0, false, "", Repeated("读", 2048), RowParseResult::kOk,
         Repeated(du, 2048)},
        {"2049 Chinese characters are too long", 0, false, "", Repeated("读", 2049),
         RowParseResult::kTooLong, ""},
        {"a command without a GBK form", 0, false, "", "读☃", RowParseResult::kCommandNotGbk, ""},
        {"an emoji", 0, false, "", "😀", RowParseResult::kCommandNotGbk, ""},
        {"an address without a GBK form", 1, true, "☃", "01", RowParseResult::kAddressNotGbk, ""},
        {"the address is ignored without an address length", 0, true, "☃", "01",
         RowParseResult::kOk, "01"},
        {"bytes that are not UTF-8", 0, false, "", "\xFF", RowParseResult::kCommandNotGbk, ""},
    };
    for (const auto& c : cases) {
        std::string prepared = "old";
        EXPECT_EQ(ParseRowTexts(c.address, c.command, c.addrLen, c.hexMode, prepared), c.result)
            << c.name;
        EXPECT_EQ(prepared, c.result == RowParseResult::kOk ? c.prepared : "old") << c.name;
    }
    EXPECT_EQ(FaultyField(RowParseResult::kAddressNotGbk), RowField::kAddress);
    EXPECT_EQ(FaultyField(RowParseResult::kCommandNotGbk), RowField::kCommand);
    EXPECT_EQ(RowParseMessage(RowParseResult::kCommandNotGbk, 0, 1),
              "The command holds characters that have no GBK form, Please Check input!");
    EXPECT_EQ(RowParseMessage(RowParseResult::kAddressNotGbk, 1, 0),
              "地址中有无法以GBK表示的字符, 请检查输入!");
    // the largest length a settings file can give is counted without overflow
    EXPECT_EQ(RowParseMessage(RowParseResult::kAddressLength, INT_MAX, 0),
              "地址长度为2147483647个字节, 4294967294个有效字符, 请检查输入!");
    EXPECT_EQ(AddressCharacters(INT_MAX), std::size_t{4294967294});
    EXPECT_EQ(AddressCharacters(-3), std::size_t{0});
}

// A text-mode plug-in receives the GBK bytes, as from the Windows program.
TEST(RowParser, APluginGetsTheGbkBytes)
{
    TestProgramFolder folder;
    ModuleHandle handle = nullptr;
    ASSERT_EQ(LoadProtocolLib(handle, "PassThrough.dll", {[](const std::string&) {}, [] {}}), 1);
    using LastText = int (*)(char*, int);
    const auto lastText = reinterpret_cast<LastText>(FindExport(handle, "test_LastCommandText"));
    ASSERT_NE(lastText, nullptr);

    std::string prepared;
    ASSERT_EQ(ParseRowTexts("", "读卡", 0, false, prepared), RowParseResult::kOk);
    RecordingSink sink;
    FakePort port;
    port.reply = {0x90, 0x00};
    TransactionEngine engine(sink);
    engine.SetProtocolApi(LoadedProtocolApi());
    engine.SetCurrentPort(&port);
    EXPECT_EQ(engine.Transact(prepared.data(), static_cast<int>(prepared.size()), 100), 0);

    char received[16];
    const int length = lastText(received, sizeof received);
    EXPECT_EQ(std::string(received, static_cast<std::size_t>(length)), "\xB6\xC1\xBF\xA8");
    EXPECT_EQ(port.written, (std::vector<unsigned char>{0xB6, 0xC1, 0xBF, 0xA8}));
    FreeProtocolLib(handle);
}
