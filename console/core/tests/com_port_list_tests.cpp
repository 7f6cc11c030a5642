#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "quillard/com_port_list.h"

namespace fs = std::filesystem;

TEST(ComPortList, ListsPresentPortsOrMessagesThatThereAreNone)
{
    char folder[] = "/tmp/quillard-list-XXXXXX";
    const std::string root = mkdtemp(folder);
    const ComPortRoots roots{root + "/dev", root + "/sys", root + "/links"};
    fs::create_directories(roots.sysTtyFolder);
    std::vector<std::string> messages;
    const auto show = [&](const std::string& m) { messages.push_back(m); };

    EXPECT_TRUE(ComPortList(show, roots).Names().empty());
    EXPECT_THAT(messages, ::testing::ElementsAre("Cannot Find any available COM port!\n"));

    // no list at all: nothing to say
    messages.clear();
    EXPECT_TRUE(ComPortList(show, {root + "/dev", root + "/none", root + "/none"}).Names().empty());
    EXPECT_TRUE(messages.empty());

    fs::create_directories(roots.sysTtyFolder + "/ttyUSB0");
    fs::create_directories(roots.sysTtyFolder + "/ttyACM2");
    messages.clear();
    const ComPortList list(show, roots);
    EXPECT_THAT(list.Names(), ::testing::ElementsAre("\\\\.\\COM33", "\\\\.\\COM67"));
    EXPECT_THAT(list.Devices(),
                ::testing::ElementsAre(roots.devFolder + "/ttyUSB0", roots.devFolder + "/ttyACM2"));
    EXPECT_TRUE(messages.empty());
    fs::remove_all(root);
}
