#include "core/platform/text_codec.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>

namespace qvt::platform {

namespace {

// One conversion descriptor per call: the conversions are rare (a file name
// per typed command) and a descriptor carries state between calls.
class Iconv {
  public:
    Iconv(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
    ~Iconv() {
        if (valid()) ::iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

  private:
    iconv_t cd_;
};

}  // namespace

std::string utf8_from_sjis(std::string_view sjis) {
    if (std::all_of(sjis.begin(), sjis.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return std::string(sjis);
    }
    const Iconv codec("UTF-8", "CP932");
    if (!codec.valid()) return std::string(sjis);
    std::string out;
    out.reserve(sjis.size() * 3 / 2);
    // iconv takes a non-const input pointer but does not write through it.
    char* in = const_cast<char*>(sjis.data());
    std::size_t in_left = sjis.size();
    std::array<char, 256> chunk{};
    while (in_left > 0) {
        char* to = chunk.data();
        std::size_t room = chunk.size();
        const std::size_t done = ::iconv(codec.get(), &in, &in_left, &to, &room);
        out.append(chunk.data(), static_cast<std::size_t>(to - chunk.data()));
        if (done != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        // Not Shift-JIS here (EILSEQ) or cut off at the end (EINVAL): the byte
        // goes over as it is and the conversion resumes after it.
        out += *in;
        ++in;
        --in_left;
    }
    return out;
}

}  // namespace qvt::platform
