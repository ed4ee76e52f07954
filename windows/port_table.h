// The port table on Windows: the system's serial-port list in the registry
// (HARDWARE\DEVICEMAP\SERIALCOMM, one value per port: the driver's device
// name, e.g. "\Device\VCP0", holding "COM5"). COM n is "\\.\COMn", the name
// that opens any port, COM10 and above included.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

#include "core/platform/port_table.h"

namespace qvt::windows {

class RegistryPortTable : public platform::PortTable {
  public:
    // The key to read; tests point it at a key of their own.
    explicit RegistryPortTable(HKEY root = HKEY_LOCAL_MACHINE,
                               std::wstring key = L"HARDWARE\\DEVICEMAP\\SERIALCOMM")
        : root_(root), key_(std::move(key)) {}

    std::optional<std::string> device_of(int com) const override;
    std::vector<platform::PortEntry> ports() const override;
    std::vector<platform::NamedPort> serial_comm_table() const override;

  private:
    HKEY root_;
    std::wstring key_;
};

// Creates the per-user folder (and parents) when missing; returns it.
std::filesystem::path ensure_user_folder();

}  // namespace qvt::windows
