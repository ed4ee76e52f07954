// The POSIX port table on fake /dev trees, the per-user folder, and what a
// user is told about a device that cannot be opened.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "core/platform/file_system.h"
#include "posix/port_access.h"
#include "posix/port_table.h"
#include "posix/user_folder.h"
#include "tests/support/scratch_dir.h"

namespace fs = std::filesystem;
using qvt::posix::PosixPortTable;

namespace {

// A link in the ports folder wins over the device node of the same number; a
// stale link or a plain file there gives nothing.
TEST(PosixPortTable, DeviceNodesAndPortLinksGiveComNumbers) {
    qvt::test::ScratchDir dir;
    const fs::path dev = dir.mkdir("dev"), ports = dir.mkdir("home/ports");
    // Names beyond a family's range or with more than a number after it give nothing.
    for (const char* node : {"ttyS0", "ttyUSB1", "ttyACM0", "null", "ttyS4", "pts7", "ttyS32",
                             "ttyS", "ttyS1a", "ttyUSBx"})
        dir.write(std::string("dev/") + node, "");
    dir.link("home/ports/COM5", dev / "pts7");
    dir.link("home/ports/COM9", dev / "gone");
    dir.link("home/ports/COM12", "../../dev/pts7");  // relative to the ports folder
    dir.write("home/ports/COM3", "");
    PosixPortTable table(dev, ports);
    const struct {
        int com;
        const char* device;
    } cases[] = {{1, "ttyS0"}, {34, "ttyUSB1"}, {65, "ttyACM0"}, {5, "pts7"},  {12, "pts7"},
                 {2, nullptr}, {33, nullptr},   {0, nullptr},    {9, nullptr}, {3, nullptr}};
    for (const auto& c : cases) {
        const auto expected = c.device ? std::optional((dev / c.device).string()) : std::nullopt;
        EXPECT_EQ(table.device_of(c.com), expected) << c.com;
    }
    std::vector<int> listed;
    for (const auto& entry : table.ports())
        listed.push_back(entry.com);
    EXPECT_EQ(listed, (std::vector<int>{1, 5, 12, 34, 65}));
    PosixPortTable missing(dir.path() / "nodev", dir.path() / "noports");
    EXPECT_TRUE(missing.ports().empty());
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

// Why a serial device cannot be opened, and what the user is told to do.
TEST(PortAccess, TellsWhyAndHow) {
    const auto facts = [](bool exists, bool rw, unsigned mode, bool now, bool later) {
        return qvt::posix::DeviceFacts{exists, rw,  020000U | mode, "root", "dialout",
                                       "ann",  now, later};
    };
    const struct {
        qvt::posix::DeviceFacts facts;
        const char* why;
        const char* fix;
    } cases[] = {
        {facts(true, true, 0660, true, false), "", ""},
        {facts(false, false, 0, false, false), "does not exist", "Plug the adapter in"},
        {facts(true, false, 0660, false, false), "(crw-rw----) may be opened by the members",
         "Run \"sudo adduser ann dialout\", then log out"},
        {facts(true, false, 0660, false, true), "ann was added to group dialout", "Log out"},
        {facts(true, false, 0600, true, false), "(crw-------, owner root, group dialout)",
         "MODE=\"0660\""},
    };
    for (const auto& c : cases) {
        const auto access = qvt::posix::judge_access("/dev/ttyUSB0", c.facts);
        EXPECT_EQ(access.may_open, *c.why == '\0');
        EXPECT_NE(access.why.find(c.why), std::string::npos) << access.why;
        EXPECT_NE(access.fix.find(c.fix), std::string::npos) << access.fix;
    }
}

}  // namespace
