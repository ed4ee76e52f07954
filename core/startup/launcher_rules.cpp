#include "core/startup/launcher_rules.h"

#include "core/startup/profile.h"

namespace qvt::startup {

namespace {

bool is_trimmed(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string upper_ascii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

}  // namespace

std::string trim_text(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && is_trimmed(text[begin]))
        ++begin;
    while (end > begin && is_trimmed(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::string copy_text(const std::string& text, std::size_t first, std::size_t count) {
    if (first < 1 || first > text.size()) return {};
    return text.substr(first - 1, count);
}

int baud_of_index(int radio_index) {
    return radio_index == 0 ? 38400 : 115200;
}

ConnectPlan usbrs_connect_plan(const std::string& entry, int radio_index) {
    ConnectPlan plan;
    plan.status_text = entry;
    plan.baud = baud_of_index(radio_index);
    if (entry.find("COM") == std::string::npos) return plan;
    if (std::string port = trim_text(copy_text(entry, 4, 3)); !port.empty()) {
        plan.port = std::move(port);
    }
    if (entry.find("KVB-410") != std::string::npos) {
        plan.baud = 115200;
    } else {
        plan.status_text = entry + " " + std::to_string(plan.baud);
    }
    return plan;
}

ConnectPlan other_com_connect_plan(const std::string& port_field, int radio_index) {
    ConnectPlan plan;
    plan.port = trim_text(port_field);
    plan.baud = baud_of_index(radio_index);
    plan.status_text = "COM" + port_field + " " + std::to_string(plan.baud);
    return plan;
}

std::optional<std::string> set_to_com(const std::string& entry) {
    if (entry.find("COM") == std::string::npos) return std::nullopt;
    return trim_text(copy_text(entry, 4, 3));
}

std::optional<int> tab_area_height(const std::string& panel2_top, int main_height) {
    if (panel2_top == "0") return main_height / 6;
    return to_integer(panel2_top);
}

bool is_english_edition(const std::string& exe_file_name) {
    const std::string upper = upper_ascii(exe_file_name);
    return upper == "QVTW2KE.EXE" || upper == "QVTW2KE";
}

std::string version_text(bool english_edition) {
    return english_edition ? "Ver 1.19 (E)" : "Ver 1.19";
}

std::string stop_status_text(const std::string& quit_connecting) {
    return quit_connecting == "1" ? "" : "KVB Not Stop";
}

ControlVersionStatus control_version_status(const std::string& path, const std::string& version) {
    if (version.empty()) return {"COMCtrl not exist in " + path, true};
    const std::string head = version.substr(0, 4);
    if (head == "3.0." || head == "3.20") return {"COMCtrl:JPN(" + version + ")", true};
    if (head == "3.30") return {"COMCtrl:ENG(" + version + ")", false};
    return {"COMCtrl:unknown", true};
}

}  // namespace qvt::startup
