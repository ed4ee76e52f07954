#include "windows/port_table.h"

#include <algorithm>
#include <filesystem>

#include "core/platform/file_system.h"
#include "windows/wide.h"

namespace qvt::windows {

namespace {

// 5 for "COM5"; nothing for any other name.
std::optional<int> com_number(const std::string& port) {
    if (port.size() < 4 || port.size() > 6 || port.compare(0, 3, "COM") != 0) return std::nullopt;
    int n = 0;
    for (std::size_t i = 3; i < port.size(); ++i) {
        if (port[i] < '0' || port[i] > '9') return std::nullopt;
        n = n * 10 + (port[i] - '0');
    }
    return n > 0 ? std::optional<int>(n) : std::nullopt;
}

}  // namespace

std::vector<platform::NamedPort> RegistryPortTable::serial_comm_table() const {
    std::vector<platform::NamedPort> out;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root_, key_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return out;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        wchar_t data[64];
        DWORD name_len = 256;
        DWORD data_bytes = sizeof data - sizeof(wchar_t);
        DWORD type = 0;
        const LONG r = ::RegEnumValueW(key, i, name, &name_len, nullptr, &type,
                                       reinterpret_cast<BYTE*>(data), &data_bytes);
        if (r == ERROR_NO_MORE_ITEMS) break;
        if (r != ERROR_SUCCESS || type != REG_SZ) continue;
        std::wstring value(data, data_bytes / sizeof(wchar_t));
        while (!value.empty() && value.back() == L'\0')
            value.pop_back();
        out.push_back({narrow(std::wstring_view(name, name_len)), narrow(value)});
    }
    ::RegCloseKey(key);
    return out;
}

std::vector<platform::PortEntry> RegistryPortTable::ports() const {
    std::vector<platform::PortEntry> out;
    for (const auto& entry : serial_comm_table()) {
        const auto com = com_number(entry.port);
        if (!com) continue;
        if (std::any_of(out.begin(), out.end(), [&](const auto& p) { return p.com == *com; }))
            continue;
        out.push_back({*com, "\\\\.\\" + entry.port});
    }
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.com < b.com; });
    return out;
}

std::optional<std::string> RegistryPortTable::device_of(int com) const {
    for (const auto& p : ports())
        if (p.com == com) return p.device;
    return std::nullopt;
}

std::filesystem::path ensure_user_folder() {
    const std::filesystem::path folder = platform::user_folder().path;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

}  // namespace qvt::windows
