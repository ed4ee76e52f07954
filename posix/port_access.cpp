#include "posix/port_access.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace qvt::posix {

namespace {

std::string user_name(uid_t uid) {
    const passwd* entry = getpwuid(uid);
    return entry != nullptr ? entry->pw_name : std::to_string(uid);
}

std::string group_name(gid_t gid) {
    const group* entry = getgrgid(gid);
    return entry != nullptr ? entry->gr_name : std::to_string(gid);
}

bool process_has_group(gid_t gid) {
    if (getegid() == gid) return true;
    const int count = getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, gid) != groups.begin() + got;
}

bool database_has_group(const std::string& user, gid_t primary, gid_t gid) {
    int count = 64;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    if (getgrouplist(user.c_str(), primary, groups.data(), &count) < 0) {
        groups.resize(static_cast<std::size_t>(count));
        if (getgrouplist(user.c_str(), primary, groups.data(), &count) < 0) return false;
    }
    return std::find(groups.begin(), groups.begin() + count, gid) != groups.begin() + count;
}

}  // namespace

std::string mode_text(unsigned mode) {
    std::string text(1, S_ISCHR(mode) ? 'c' : S_ISLNK(mode) ? 'l' : S_ISDIR(mode) ? 'd' : '-');
    static constexpr char kRwx[] = "rwx";
    for (int bit = 8; bit >= 0; --bit) {
        text += (mode >> bit) & 1U ? kRwx[(8 - bit) % 3] : '-';
    }
    return text;
}

DeviceFacts device_facts(const std::string& device) {
    DeviceFacts facts;
    facts.user = user_name(geteuid());
    struct stat st {};
    if (stat(device.c_str(), &st) != 0) return facts;
    facts.exists = true;
    facts.may_read_write = access(device.c_str(), R_OK | W_OK) == 0;
    facts.mode = st.st_mode;
    facts.owner = user_name(st.st_uid);
    facts.group = group_name(st.st_gid);
    facts.in_group_now = process_has_group(st.st_gid);
    const passwd* me = getpwuid(geteuid());
    facts.in_group_later = !facts.in_group_now && me != nullptr &&
                           database_has_group(me->pw_name, me->pw_gid, st.st_gid);
    return facts;
}

PortAccess judge_access(const std::string& device, const DeviceFacts& f) {
    if (f.exists && f.may_read_write) return {};
    PortAccess access;
    access.may_open = false;
    if (!f.exists) {
        access.why = device + " does not exist.";
        access.fix = "Plug the adapter in, or correct the link in the ports folder.";
        return access;
    }
    const std::string mode = mode_text(f.mode);
    const bool group_may = (f.mode & 060U) == 060U;
    const std::string adduser = "sudo adduser " + f.user + ' ' + f.group;
    if (group_may && f.in_group_later) {
        access.why = f.user + " was added to group " + f.group + ", which may open " + device +
                     ", after this login began.";
        access.fix = "Log out and log in again (or restart the computer).";
    } else if (group_may && !f.in_group_now) {
        access.why = device + " (" + mode + ") may be opened by the members of group " + f.group +
                     ", and " + f.user + " is not one.";
        access.fix = "Run \"" + adduser + "\", then log out and log in again.";
    } else if (!group_may) {
        access.why = device + " (" + mode + ", owner " + f.owner + ", group " + f.group +
                     ") may not be opened by " + f.user + '.';
        // A device of group root is meant for no one else: the serial ports'
        // group on Debian is dialout.
        const std::string group = f.group == "root" ? "dialout" : f.group;
        access.fix = "Ask the administrator for a udev rule that gives group " + group +
                     " read and write access (GROUP=\"" + group + "\", MODE=\"0660\").";
    } else {
        access.why = f.user + " may not open " + device + " (" + mode + ", group " + f.group +
                     ") although a member of its group.";
        access.fix = "Check the device's access control list (getfacl " + device + ").";
    }
    return access;
}

}  // namespace qvt::posix
