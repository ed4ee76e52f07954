// The POSIX port table on fake /dev trees, and the per-user folder.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/platform/file_system.h"
#include "posix/port_table.h"
#include "posix/user_folder.h"

namespace fs = std::filesystem;
using qvt::posix::com_of_device_name;
using qvt::posix::PosixPortTable;

namespace {

class FakeTree : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/qvt-posix-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        root_ = tmpl;
        fs::create_directories(dev());
        fs::create_directories(ports());
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path dev() const { return root_ / "dev"; }
    fs::path ports() const { return root_ / "home" / "ports"; }
    void node(const std::string& name) { std::ofstream(dev() / name) << ""; }

    fs::path root_;
};

TEST(PortNames, DeviceFamiliesMapToTheirComRanges) {
    const struct {
        const char* name;
        std::optional<int> com;
    } cases[] = {
        {"ttyS0", 1},
        {"ttyS31", 32},
        {"ttyS32", std::nullopt},
        {"ttyUSB0", 33},
        {"ttyUSB7", 40},
        {"ttyACM0", 65},
        {"ttyACM2", 67},
        {"ttyS", std::nullopt},
        {"tty0", std::nullopt},
        {"ttyUSBx", std::nullopt},
        {"ttyS1a", std::nullopt},
        {"pts", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(com_of_device_name(c.name), c.com) << c.name;
}

TEST_F(FakeTree, DeviceNodesGiveComNumbers) {
    node("ttyS0");
    node("ttyUSB1");
    node("ttyACM0");
    node("null");
    PosixPortTable table(dev(), ports());
    EXPECT_EQ(table.device_of(1), (dev() / "ttyS0").string());
    EXPECT_EQ(table.device_of(34), (dev() / "ttyUSB1").string());
    EXPECT_EQ(table.device_of(65), (dev() / "ttyACM0").string());
    EXPECT_EQ(table.device_of(2), std::nullopt);
    EXPECT_EQ(table.device_of(33), std::nullopt);
    EXPECT_EQ(table.device_of(0), std::nullopt);
    const auto all = table.ports();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].com, 1);
    EXPECT_EQ(all[1].com, 34);
    EXPECT_EQ(all[2].com, 65);
}

TEST_F(FakeTree, LinkWinsOverDeviceNodeAndStaleLinkIsIgnored) {
    node("ttyS4");
    node("pts7");
    fs::create_symlink(dev() / "pts7", ports() / "COM5");
    fs::create_symlink(dev() / "gone", ports() / "COM9");
    fs::create_symlink("../../dev/pts7", ports() / "COM12");  // relative to the ports folder
    std::ofstream(ports() / "COM3") << "";                    // not a link
    PosixPortTable table(dev(), ports());
    EXPECT_EQ(table.device_of(5), (dev() / "pts7").string());
    EXPECT_EQ(table.device_of(9), std::nullopt);
    EXPECT_EQ(table.device_of(12), (dev() / "pts7").string());
    EXPECT_EQ(table.device_of(3), std::nullopt);
    const auto all = table.ports();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].com, 5);
    EXPECT_EQ(all[0].device, (dev() / "pts7").string());
    EXPECT_EQ(all[1].com, 12);
}

TEST_F(FakeTree, MissingFoldersListNothing) {
    PosixPortTable table(root_ / "nodev", root_ / "noports");
    EXPECT_TRUE(table.ports().empty());
    EXPECT_EQ(table.device_of(1), std::nullopt);
}

TEST(UserFolder, FollowsQvtw2kHomeElseConfigFolder) {
    const char* saved = std::getenv("QVTW2K_HOME");
    const std::string keep = saved ? saved : "";
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("QVTW2K_HOME", "/tmp/qvt-home-x", 1);
    EXPECT_EQ(qvt::platform::user_folder().path, fs::path("/tmp/qvt-home-x"));
    EXPECT_TRUE(qvt::platform::user_folder().chosen);
    EXPECT_EQ(qvt::posix::ports_folder(), fs::path("/tmp/qvt-home-x/ports"));
    setenv("QVTW2K_HOME", "", 1);
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(qvt::platform::user_folder().path, fs::path("/home/someone/.config/qvtw2k"));
    EXPECT_FALSE(qvt::platform::user_folder().chosen);
    setenv("HOME", home.c_str(), 1);
    if (saved) {
        setenv("QVTW2K_HOME", keep.c_str(), 1);
    } else {
        unsetenv("QVTW2K_HOME");
    }
}

}  // namespace
