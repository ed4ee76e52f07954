// Why a serial device cannot be opened, and what the user is told to do.
#include <gtest/gtest.h>

#include "posix/port_access.h"

namespace qvt::posix {
namespace {

TEST(PortAccess, TellsWhyAndHow) {
    const auto facts = [](bool exists, bool rw, unsigned mode, bool now, bool later) {
        return DeviceFacts{exists, rw, 020000U | mode, "root", "dialout", "ann", now, later};
    };
    const struct {
        DeviceFacts facts;
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
        const PortAccess access = judge_access("/dev/ttyUSB0", c.facts);
        EXPECT_EQ(access.may_open, *c.why == '\0');
        EXPECT_NE(access.why.find(c.why), std::string::npos) << access.why;
        EXPECT_NE(access.fix.find(c.fix), std::string::npos) << access.fix;
    }
}

}  // namespace
}  // namespace qvt::posix
