#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "hollet/com_names.h"

namespace fs = std::filesystem;

namespace {

// A fake /dev, /sys/class/tty and link folder.
class ComNames : public ::testing::Test {
protected:
    void SetUp() override
    {
        char folder[] = "/tmp/quillard-com-XXXXXX";
        root = mkdtemp(folder);
        roots = {root + "/dev", root + "/sys", root + "/links"};
        for (const auto& f : {roots.devFolder, roots.sysTtyFolder, roots.linkFolder})
            fs::create_directories(f);
    }
    void TearDown() override { fs::remove_all(root); }

    void AddTty(const std::string& name, int uartType = -1)
    {
        std::ofstream(roots.devFolder + "/" + name);
        fs::create_directories(roots.sysTtyFolder + "/" + name);
        if (uartType >= 0) std::ofstream(roots.sysTtyFolder + "/" + name + "/type") << uartType;
    }

    std::string root;
    ComPortRoots roots;
};

TEST_F(ComNames, NumbersFollowTheBlocksAndLinksOverrideThem)
{
    std::ofstream(root + "/pty");
    fs::create_symlink(root + "/pty", roots.linkFolder + "/COM5");
    fs::create_symlink(root + "/pty", roots.linkFolder + "/COM700");

    const std::pair<unsigned long, std::string> cases[] = {
        {1, roots.devFolder + "/ttyS0"},
        {32, roots.devFolder + "/ttyS31"},
        {33, roots.devFolder + "/ttyUSB0"},
        {64, roots.devFolder + "/ttyUSB31"},
        {65, roots.devFolder + "/ttyACM0"},
        {97, roots.devFolder + "/rfcomm0"},
        {129, roots.devFolder + "/ttyAMA0"},
        {160, roots.devFolder + "/ttyAMA31"},
        {5, roots.linkFolder + "/COM5"},
        {700, roots.linkFolder + "/COM700"},
        {161, ""},
        {1024, ""},
        {0, ""},
        {1025, ""},
    };
    for (const auto& [number, device] : cases) {
        SCOPED_TRACE(number);
        EXPECT_EQ(ResolveComDevice(number, roots), device);
    }
}

TEST_F(ComNames, ListsPresentPortsInNumberOrderWithTheirDevices)
{
    AddTty("ttyS0", 4);  // a UART that is there
    AddTty("ttyS1", 0);  // a node without a UART behind it
    AddTty("ttyUSB1");
    AddTty("ttyACM0");
    AddTty("tty5");  // a virtual console: no COM number
    std::ofstream(root + "/bt");
    fs::create_symlink(root + "/bt", roots.linkFolder + "/COM300");
    fs::create_symlink(root + "/bt", roots.linkFolder + "/COM1");    // overrides ttyS0
    fs::create_symlink(root + "/gone", roots.linkFolder + "/COM7");  // dangling
    std::ofstream(roots.linkFolder + "/notes.txt");

    const auto ports = ListComPorts(roots);
    std::vector<std::string> names, devices;
    for (const auto& port : ports) {
        names.push_back(port.name);
        devices.push_back(port.device);
    }
    EXPECT_THAT(names, ::testing::ElementsAre("\\\\.\\COM1", "\\\\.\\COM34", "\\\\.\\COM65",
                                              "\\\\.\\COM300"));
    EXPECT_THAT(devices, ::testing::ElementsAre(
                             fs::canonical(root + "/bt").string(), roots.devFolder + "/ttyUSB1",
                             roots.devFolder + "/ttyACM0", fs::canonical(root + "/bt").string()));
}

TEST_F(ComNames, NoLinkFolderAndNoDevicesGiveAnEmptyList)
{
    fs::remove_all(roots.linkFolder);
    EXPECT_TRUE(ListComPorts(roots).empty());
}

}  // namespace
