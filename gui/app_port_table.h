// The program's port table: COM numbers from the POSIX rules (links in the
// ports folder, device nodes) and the USB-RS discovery tables from sysfs.
//
// How it works: the two parts look at the system afresh on every call, so one
// instance lives for the whole run; the ports folder is the per-user folder's
// as it was at start.
#pragma once

#include "posix/port_table.h"
#include "posix/sysfs_discovery.h"
#include "posix/user_folder.h"

namespace qvt::gui {

struct AppPortTable {
    posix::PosixPortTable base;
    sysfs::SysfsDiscovery discovery{"/sys", "/dev", posix::ports_folder()};
    sysfs::DiscoveringPortTable table{base, discovery};
};

}  // namespace qvt::gui
