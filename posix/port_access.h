// Whether this user may open a serial device, and if not, why and what to do.
//
// How it works: port_access() gathers the facts of one device node (its mode,
// owner and group, whether this process may read and write it, and whether
// the user belongs to the device's group now or only in the group database,
// as after an `adduser` without a new login) and judge_access() turns them
// into a sentence for the user. The judging is apart from the gathering so
// that every case can be tried without such devices.
#pragma once

#include <string>

namespace qvt::posix {

struct DeviceFacts {
    bool exists = false;
    bool may_read_write = false;  // access(R_OK | W_OK) for this process
    unsigned mode = 0;            // st_mode
    std::string owner, group;     // names (numbers when they have none)
    std::string user;             // who runs this program
    bool in_group_now = false;    // the device's group is one of this process's groups
    bool in_group_later = false;  // the group database lists the user, the login does not yet
};

struct PortAccess {
    bool may_open = true;
    std::string why;  // empty when may_open
    std::string fix;
};

// "crw-rw----" from st_mode.
std::string mode_text(unsigned mode);
PortAccess judge_access(const std::string& device, const DeviceFacts& facts);
DeviceFacts device_facts(const std::string& device);
inline PortAccess port_access(const std::string& device) {
    return judge_access(device, device_facts(device));
}

}  // namespace qvt::posix
