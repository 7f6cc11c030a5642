#include "quillard/protocol_library.h"

#include <gtest/gtest.h>

#include "program_folder.h"

namespace {

struct Loading : ::testing::Test {
    int Load(const std::string& name)
    {
        return LoadProtocolLib(
            handle, name,
            {[this](const std::string& m) { messages.push_back(m); }, [this] { ++quits; }});
    }
    ~Loading() override { FreeProtocolLib(handle); }

    TestProgramFolder folder;
    ModuleHandle handle = nullptr;
    std::vector<std::string> messages;
    int quits = 0;
};

}  // namespace

TEST_F(Loading, BindsTheThreeExportsFromProtocols)
{
    // the name the settings give, or the file's own name on this system
    for (const std::string& name : {std::string("Corvane") + kNativeLibrarySuffix,
                                    std::string("Corvane.dll"), std::string("Check3.DLL")}) {
        EXPECT_EQ(Load(name), 1) << name;
        EXPECT_TRUE(LoadedProtocolApi().IsBound()) << name;
        EXPECT_NE(handle, nullptr);
        EXPECT_EQ(FreeProtocolLib(handle), 1);
        EXPECT_EQ(handle, nullptr);
        EXPECT_FALSE(LoadedProtocolApi().IsBound());
    }
    EXPECT_EQ(FreeProtocolLib(handle), 0);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(quits, 0);
}

TEST_F(Loading, AMissingFileNamesTheFullPathAndAsksToQuit)
{
    EXPECT_EQ(Load("Absent.dll"), 0);
    EXPECT_EQ(messages,
              std::vector<std::string>{"Can't load " + folder.Path("Protocols/Absent.dll") + "!"});
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(handle, nullptr);
}

TEST_F(Loading, AMissingExportIsNamedOnceAndNothingStaysLoaded)
{
    ASSERT_EQ(Load("Corvane.dll"), 1);
    FreeProtocolLib(handle);
    EXPECT_EQ(Load("NoUnwrap.dll"), 0);
    EXPECT_EQ(messages, std::vector<std::string>{"Function: tlx_ReaderToPC can't be found."});
    EXPECT_EQ(quits, 0);
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(LoadedProtocolApi().PCToReader, nullptr);
    EXPECT_EQ(LoadedProtocolApi().CheckData, nullptr);
}

TEST_F(Loading, APluginFileIsLoadedByItsPathWithTheSameRules)
{
    const ProtocolLoadReport report{[this](const std::string& m) { messages.push_back(m); },
                                    [this] { ++quits; }};
    EXPECT_EQ(LoadProtocolFile(handle, folder.Path("Protocols/Corvane.dll"), report), 1);
    EXPECT_TRUE(LoadedProtocolApi().IsBound());
    FreeProtocolLib(handle);
    EXPECT_EQ(LoadProtocolFile(handle, folder.Path("elsewhere/Corvane.dll"), report), 0);
    EXPECT_EQ(messages,
              std::vector<std::string>{"Can't load " + folder.Path("elsewhere/Corvane.dll") + "!"});
    EXPECT_EQ(quits, 1);
    // a report without receivers is quiet
    EXPECT_EQ(LoadProtocolFile(handle, folder.Path("Protocols/NoUnwrap.dll"), {}), 0);
    EXPECT_EQ(LoadFailedMessage("Corvane.dll"), "Load Corvane.dll Faild!!!");
}
