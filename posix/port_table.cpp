#include "posix/port_table.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <map>
#include <string_view>
#include <system_error>

#include "posix/user_folder.h"

namespace qvt::posix {

namespace fs = std::filesystem;

namespace {

struct DeviceFamily {
    std::string_view prefix;
    int first_com;
    int count;  // numbers this family owns before the next one starts
};

constexpr std::array<DeviceFamily, 3> kFamilies{{
    {"ttyS", 1, 32},
    {"ttyUSB", 33, 32},
    {"ttyACM", 65, 1000},
}};

std::optional<int> parse_number(std::string_view digits) {
    if (digits.empty() || digits.size() > 4) return std::nullopt;
    int value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

// "COM12" -> 12.
std::optional<int> com_of_link_name(std::string_view name) {
    if (name.size() < 4 || name.substr(0, 3) != "COM") return std::nullopt;
    auto n = parse_number(name.substr(3));
    if (!n || *n < 1) return std::nullopt;
    return n;
}

}  // namespace

std::optional<int> com_of_device_name(const std::string& name) {
    const std::string_view view(name);
    for (const auto& family : kFamilies) {
        if (view.substr(0, family.prefix.size()) != family.prefix) continue;
        auto k = parse_number(view.substr(family.prefix.size()));
        if (!k || *k >= family.count) return std::nullopt;
        return *k + family.first_com;
    }
    return std::nullopt;
}

PosixPortTable::PosixPortTable() : dev_root_("/dev") {}

PosixPortTable::PosixPortTable(fs::path dev_root, fs::path ports_folder)
    : dev_root_(std::move(dev_root)), ports_folder_(std::move(ports_folder)) {}

fs::path PosixPortTable::ports_folder() const {
    return ports_folder_ ? *ports_folder_ : posix::ports_folder();
}

std::optional<std::string> PosixPortTable::linked_device(const fs::path& link) const {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(link, ec))) return std::nullopt;
    fs::path target = fs::read_symlink(link, ec);
    if (ec) return std::nullopt;
    if (target.is_relative()) target = link.parent_path() / target;
    if (!fs::exists(target, ec)) return std::nullopt;
    return target.lexically_normal().string();
}

std::optional<std::string> PosixPortTable::device_of(int com) const {
    if (com < 1) return std::nullopt;
    if (auto linked = linked_device(ports_folder() / ("COM" + std::to_string(com)))) return linked;
    for (const auto& family : kFamilies) {
        const int k = com - family.first_com;
        if (k < 0 || k >= family.count) continue;
        const fs::path node = dev_root_ / (std::string(family.prefix) + std::to_string(k));
        std::error_code ec;
        if (fs::exists(node, ec)) return node.string();
    }
    return std::nullopt;
}

std::vector<platform::PortEntry> PosixPortTable::ports() const {
    std::map<int, std::string> found;
    std::error_code ec;
    for (fs::directory_iterator it(dev_root_, ec), end; !ec && it != end; it.increment(ec)) {
        if (auto com = com_of_device_name(it->path().filename().string())) {
            found.emplace(*com, it->path().string());
        }
    }
    ec.clear();
    for (fs::directory_iterator it(ports_folder(), ec), end; !ec && it != end; it.increment(ec)) {
        auto com = com_of_link_name(it->path().filename().string());
        if (!com) continue;
        if (auto linked = linked_device(it->path())) found[*com] = *linked;
    }
    std::vector<platform::PortEntry> result;
    result.reserve(found.size());
    for (auto& [com, device] : found)
        result.push_back({com, device});
    return result;
}

}  // namespace qvt::posix
