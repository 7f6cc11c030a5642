// Commands sent the console's way over a real COM port of this system: Corvane
// loaded from the program folder, the serial port, and a simulated reader at the
// far end answering from ports/tests/com_port_reader.table. QUILLARD_TEST_COM
// names the port's number; without it the test is skipped.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "hollet/CxComm.h"
#include "program_folder.h"
#include "quillard/protocol_library.h"
#include "quillard/transaction.h"
#include "recording_sink.h"

namespace {

using ::testing::HasSubstr;

TEST(ComPortTransaction, ACommandGoesOutThroughCorvaneAndItsReplyIsJudged)
{
    const char* number = std::getenv("QUILLARD_TEST_COM");
    if (!number) GTEST_SKIP() << "QUILLARD_TEST_COM names no COM port with a reader";
    TestProgramFolder folder;
    ModuleHandle module = nullptr;
    ASSERT_EQ(LoadProtocolLib(module, "Corvane.dll", {}), 1);
    CxComm comm;
    ASSERT_EQ(comm.Open(std::strtoul(number, nullptr, 10), "115200,n,8,1"), 1);
    RecordingSink sink;
    TransactionEngine engine(sink);
    engine.SetProtocolApi(LoadedProtocolApi());
    engine.SetCurrentPort(&comm);

    const std::string command = "00A4040007";  // answered by its echo
    EXPECT_EQ(engine.Transact(command.data(), static_cast<int>(command.size()), 1000), kTransactOk);
    const std::string silent = "A3";  // never answered
    EXPECT_EQ(engine.Transact(silent.data(), 2, 300), kTransactNoData);

    ASSERT_EQ(sink.log.size(), 6u);
    EXPECT_THAT(sink.log[0], HasSubstr("OUT│ SUCCESS│            │ 00 A4 04 00 07 "));
    EXPECT_THAT(sink.log[1], HasSubstr("IN│ SUCCESS│use "));
    EXPECT_THAT(sink.log[1], HasSubstr("│ 00 A4 04 00 07 "));
    EXPECT_THAT(sink.log[3], HasSubstr("OUT│ SUCCESS│            │ A3 "));
    EXPECT_THAT(sink.log[4], HasSubstr("IN│ NO DATA│use "));
    EXPECT_TRUE(sink.messages.empty());
    comm.Close();
    FreeProtocolLib(module);
}

}  // namespace
