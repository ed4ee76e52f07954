#include "posix/sysfs_discovery.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <string_view>
#include <system_error>

namespace qvt::sysfs {

namespace fs = std::filesystem;

namespace {

struct TtyFamily {
    std::string_view prefix;
    int first_com;
    int count;
};

constexpr std::array<TtyFamily, 3> kFamilies{{
    {"ttyS", 1, 32},
    {"ttyUSB", 33, 32},
    {"ttyACM", 65, 1000},
}};

std::optional<int> parse_decimal(std::string_view digits) {
    if (digits.empty() || digits.size() > 4) return std::nullopt;
    int value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

// "COM12" -> 12.
std::optional<int> com_of_link_name(std::string_view name) {
    if (name.size() < 4 || name.substr(0, 3) != "COM") return std::nullopt;
    const auto n = parse_decimal(name.substr(3));
    if (!n || *n < 1) return std::nullopt;
    return n;
}

std::string trim(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    return std::string(s);
}

// The first line of a small file, trimmed; nothing when it cannot be read.
std::optional<std::string> first_line(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string line;
    std::getline(in, line);
    return trim(line);
}

std::optional<std::string> usb_identity_above(const fs::path& device, const fs::path& root) {
    std::error_code ec;
    for (fs::path dir = device; !dir.empty(); dir = dir.parent_path()) {
        if (dir == root || dir == dir.parent_path()) break;
        if (fs::exists(dir / "idVendor", ec) && fs::exists(dir / "idProduct", ec)) {
            const auto vendor = first_line(dir / "idVendor");
            const auto product = first_line(dir / "idProduct");
            if (!vendor || !product) return std::nullopt;
            return usb_instance_name(*vendor, *product, first_line(dir / "serial").value_or(""));
        }
    }
    return std::nullopt;
}

fs::path canonical_or_self(const fs::path& path) {
    std::error_code ec;
    fs::path resolved = fs::canonical(path, ec);
    return ec ? path.lexically_normal() : resolved;
}

}  // namespace

std::optional<int> com_of_tty(const std::string& name) {
    const std::string_view view(name);
    for (const auto& family : kFamilies) {
        if (view.substr(0, family.prefix.size()) != family.prefix) continue;
        const auto k = parse_decimal(view.substr(family.prefix.size()));
        if (!k || *k >= family.count) return std::nullopt;
        return *k + family.first_com;
    }
    return std::nullopt;
}

std::optional<std::string> usb_instance_name(const std::string& id_vendor,
                                             const std::string& id_product,
                                             const std::string& serial) {
    auto hex = [](const std::string& text) -> std::optional<unsigned> {
        unsigned value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
        if (text.empty() || ec != std::errc() || end != text.data() + text.size() ||
            value > 0xFFFF) {
            return std::nullopt;
        }
        return value;
    };
    const auto vendor = hex(id_vendor);
    const auto product = hex(id_product);
    if (!vendor || !product) return std::nullopt;
    std::array<char, 32> buf{};
    std::snprintf(buf.data(), buf.size(), "VID_%04X+PID_%04X+", *vendor, *product);
    return std::string(buf.data()) + serial;
}

SysfsDiscovery::SysfsDiscovery(fs::path sysfs_root, fs::path dev_root, fs::path ports_folder)
    : sysfs_root_(std::move(sysfs_root)),
      dev_root_(std::move(dev_root)),
      ports_folder_(std::move(ports_folder)) {}

std::vector<DiscoveredPort> SysfsDiscovery::sysfs_ports() const {
    std::vector<DiscoveredPort> found;
    const fs::path root = canonical_or_self(sysfs_root_);
    std::error_code ec;
    for (fs::directory_iterator it(sysfs_root_ / "class" / "tty", ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const auto com = com_of_tty(name);
        if (!com) continue;
        std::error_code item_ec;
        const fs::path node = dev_root_ / name;
        if (!fs::exists(node, item_ec)) continue;
        const fs::path device = fs::canonical(it->path() / "device", item_ec);
        if (item_ec) continue;  // virtual terminals have no device
        const fs::path driver_link = fs::read_symlink(device / "driver", item_ec);
        if (item_ec) continue;                                 // an unbound device cannot be opened
        if (first_line(it->path() / "type") == "0") continue;  // a placeholder, no UART behind it
        DiscoveredPort port;
        port.com = *com;
        port.device = node.string();
        port.driver = driver_link.filename().string();
        port.tty = name;
        port.usb_id = usb_identity_above(device, root);
        port.vcp = port.driver == "ftdi_sio";
        found.push_back(std::move(port));
    }
    return found;
}

std::vector<DiscoveredPort> SysfsDiscovery::discover() const {
    const std::vector<DiscoveredPort> from_sysfs = sysfs_ports();
    std::map<int, DiscoveredPort> by_com;
    std::set<std::string> claimed;  // ttys named by a ports-folder link

    std::map<int, DiscoveredPort> linked;
    std::error_code ec;
    for (fs::directory_iterator it(ports_folder_, ec), end; !ec && it != end; it.increment(ec)) {
        const auto com = com_of_link_name(it->path().filename().string());
        if (!com) continue;
        std::error_code item_ec;
        if (!fs::is_symlink(it->symlink_status(item_ec))) continue;
        fs::path target = fs::read_symlink(it->path(), item_ec);
        if (item_ec) continue;
        if (target.is_relative()) target = it->path().parent_path() / target;
        if (!fs::exists(target, item_ec)) continue;  // the owner of the link has gone

        DiscoveredPort port;
        port.com = *com;
        port.device = target.lexically_normal().string();
        const fs::path resolved = canonical_or_self(target);
        for (const auto& known : from_sysfs) {
            if (canonical_or_self(known.device) != resolved) continue;
            port.driver = known.driver;
            port.tty = known.tty;
            port.usb_id = known.usb_id;
            port.vcp = known.vcp;
            claimed.insert(known.tty);
            break;
        }
        fs::path sidecar = it->path();
        sidecar += ".usb";
        if (auto declared = first_line(sidecar); declared && !declared->empty()) {
            port.usb_id = std::move(*declared);
            port.vcp = true;
        }
        linked[*com] = std::move(port);
    }

    for (const auto& port : from_sysfs) {
        if (!claimed.contains(port.tty)) by_com[port.com] = port;
    }
    for (auto& [com, port] : linked)
        by_com[com] = std::move(port);

    std::vector<DiscoveredPort> result;
    result.reserve(by_com.size());
    for (auto& [com, port] : by_com)
        result.push_back(std::move(port));
    return result;
}

std::vector<platform::NamedPort> SysfsDiscovery::serial_comm_table() const {
    std::vector<platform::NamedPort> table;
    int vcp_index = 0;
    for (const auto& port : discover()) {
        std::string name;
        if (port.vcp) {
            name = "\\Device\\VCP" + std::to_string(vcp_index++);
        } else if (!port.tty.empty()) {
            name = "\\Device\\" + port.tty;
        } else {
            name = "\\Device\\LinkCOM" + std::to_string(port.com);
        }
        table.push_back({std::move(name), "COM" + std::to_string(port.com)});
    }
    return table;
}

std::vector<platform::NamedPort> SysfsDiscovery::usb_serial_devices() const {
    std::vector<platform::NamedPort> devices;
    for (const auto& port : discover()) {
        if (port.usb_id) devices.push_back({*port.usb_id, "COM" + std::to_string(port.com)});
    }
    return devices;
}

}  // namespace qvt::sysfs
