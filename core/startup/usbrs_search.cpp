#include "core/startup/usbrs_search.h"

#include <algorithm>

#include "core/startup/launcher_rules.h"

namespace qvt::startup {

namespace {

std::string upper_ascii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

bool contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

bool is_kvb_device(const std::string& instance) {
    return contains(instance, "VID_3B7C+PID_6003") || contains(instance, "VID_0403+PID_6001");
}

std::string labels_for(const std::string& instance) {
    const std::string upper = upper_ascii(instance);
    std::string labels;
    if (contains(upper, "+KV")) labels += kControllerLabel;
    if (contains(upper, "+AC")) labels += kAdapterLabel;
    return labels;
}

}  // namespace

void sort_like_list_box(std::vector<std::string>& entries) {
    std::stable_sort(
        entries.begin(), entries.end(),
        [](const std::string& a, const std::string& b) { return upper_ascii(a) < upper_ascii(b); });
}

UsbrsSearchResult USBRS_Search(const platform::PortTable& table) {
    UsbrsSearchResult result;
    for (const auto& [name, port] : table.serial_comm_table()) {
        result.serial_names.push_back(name);
        if (contains(upper_ascii(name), "VCP")) result.vcp_ports.push_back(port);
    }
    if (!result.vcp_ports.empty()) {
        const auto devices = table.usb_serial_devices();
        for (const auto& device : devices)
            result.usb_devices.push_back(device.name);
        for (const auto& [instance, port_name] : devices) {
            if (!is_kvb_device(instance)) continue;
            const std::string port = trim_text(port_name);
            if (port.empty()) continue;  // no port parameters: skipped
            for (const auto& vcp : result.vcp_ports) {
                if (vcp != port) continue;
                result.entries.push_back(port + labels_for(instance));
                result.found = true;
            }
        }
    }
    if (result.entries.empty()) result.entries.emplace_back(kNoPortEntry);
    sort_like_list_box(result.entries);
    return result;
}

std::string chooser_port(const std::string& entry) {
    return trim_text(copy_text(entry, 4, 2));
}

}  // namespace qvt::startup
