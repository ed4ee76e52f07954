// The local date and time as the desktop writes them: its short date format,
// a blank, its long time format.
//
// How it works: the core only asks for the text; the front end supplies the
// desktop's formats (the Qt side takes them from the system locale). Without
// a front end a fixed year-first form stands in.
#pragma once

#include <array>
#include <ctime>
#include <functional>
#include <string>

namespace qvt::platform {

using DateTimeText = std::function<std::string()>;

inline std::string c_locale_date_time() {
    const std::time_t now = std::time(nullptr);
    std::array<char, 128> text{};
    const std::size_t n =
        std::strftime(text.data(), text.size(), "%Y/%m/%d %H:%M:%S", std::localtime(&now));
    return std::string(text.data(), n);
}

}  // namespace qvt::platform
