// COM numbers for POSIX serial devices.
//
// How it works: a symbolic link <ports folder>/COMn names the device of COM n
// and wins over the device nodes (the simulator and users register ports that
// way); a link whose target has gone (a simulator that exited) is ignored.
// Otherwise the device nodes under the /dev root count: ttyS<k> is COM k+1,
// ttyUSB<k> COM k+33, ttyACM<k> COM k+65. Both folders are constructor
// parameters so tests can build fake trees. Every call looks at the file
// system afresh: ports come and go while the program runs.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/port_table.h"

namespace qvt::posix {

// The COM number of a device node name such as "ttyUSB0"; nothing for other names.
std::optional<int> com_of_device_name(const std::string& name);

class PosixPortTable : public platform::PortTable {
  public:
    // Defaults: /dev and the per-user ports folder as it is at each call.
    PosixPortTable();
    PosixPortTable(std::filesystem::path dev_root, std::filesystem::path ports_folder);

    std::optional<std::string> device_of(int com) const override;
    std::vector<platform::PortEntry> ports() const override;

  private:
    std::optional<std::string> linked_device(const std::filesystem::path& link) const;

    std::filesystem::path ports_folder() const;

    std::filesystem::path dev_root_;
    std::optional<std::filesystem::path> ports_folder_;
};

}  // namespace qvt::posix
