// Shift-JIS to UTF-8 on Windows: the system's own code page 932, one
// character at a time, so bytes that are no Shift-JIS go over unchanged.
#include "core/platform/text_codec.h"

#include "windows/wide.h"

namespace qvt::platform {

namespace {

bool is_lead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// The character of `bytes` in code page 932 as UTF-8; empty when it is none.
std::string convert(std::string_view bytes) {
    wchar_t wide[4];
    const int n = ::MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(),
                                        static_cast<int>(bytes.size()), wide, 4);
    return n > 0 ? windows::narrow(std::wstring_view(wide, static_cast<std::size_t>(n)))
                 : std::string();
}

}  // namespace

std::string utf8_from_sjis(std::string_view sjis) {
    std::string out;
    out.reserve(sjis.size() * 3 / 2);
    for (std::size_t i = 0; i < sjis.size();) {
        const auto c = static_cast<unsigned char>(sjis[i]);
        if (c < 0x80) {
            out += sjis[i++];
            continue;
        }
        const std::size_t width = is_lead(c) && i + 1 < sjis.size() ? 2 : 1;
        const std::string got = convert(sjis.substr(i, width));
        if (got.empty()) {
            out += sjis[i++];  // not Shift-JIS: the byte as it is
        } else {
            out += got;
            i += width;
        }
    }
    return out;
}

}  // namespace qvt::platform
