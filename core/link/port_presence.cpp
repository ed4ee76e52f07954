#include "core/link/port_presence.h"

namespace qvt::link {

namespace {

bool has_vcp(const std::string& name) {
    std::string upper = name;
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper.find("VCP") != std::string::npos;
}

// The number in a port name: the three characters after "COM", blanks and
// control characters dropped at either end.
std::string number_of(const std::string& port) {
    const std::string digits = port.size() > 3 ? port.substr(3, 3) : std::string();
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    std::size_t begin = 0;
    std::size_t end = digits.size();
    while (begin < end && blank(digits[begin]))
        ++begin;
    while (end > begin && blank(digits[end - 1]))
        --end;
    return digits.substr(begin, end - begin);
}

bool port_listed(const platform::PortTable& table, const std::string& com_port, bool vcp_only) {
    for (const auto& [name, port] : table.serial_comm_table()) {
        if (vcp_only && !has_vcp(name)) continue;
        if (number_of(port) == com_port) return true;
    }
    return false;
}

}  // namespace

std::optional<std::string> CheckVCP(const platform::PortTable& table, const std::string& com_port) {
    if (port_listed(table, com_port, true)) return std::nullopt;
    return "COM " + com_port + " port has disconnected. (VCP's disappearance)\r\nQVTW is closed.";
}

std::optional<std::string> CheckVCP1(const platform::PortTable& table,
                                     const std::string& com_port) {
    if (port_listed(table, com_port, false)) return std::nullopt;
    return "COM" + com_port + " port has disconnected.\r\nQVTW is closed.";
}

}  // namespace qvt::link
