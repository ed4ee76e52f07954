#include "core/transfer/qfile.h"

#include <stdexcept>

#include "core/platform/file_system.h"

namespace qvt::transfer {

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr int kCtrlZ = 0x1A;

bool blank(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

}  // namespace

std::string trim_blank(std::string_view text) {
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && blank(text[b]))
        ++b;
    while (e > b && blank(text[e - 1]))
        --e;
    return std::string(text.substr(b, e - b));
}

bool is_blank(std::string_view text) {
    for (const char c : text)
        if (!blank(c)) return false;
    return true;
}

std::string upper_ascii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string extension_of(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    const auto dot = path.rfind('.');
    if (dot == std::string::npos) return {};
    if (slash != std::string::npos && dot < slash) return {};
    return path.substr(dot);
}

std::string remove_extension(const std::string& path) {
    return path.substr(0, path.size() - extension_of(path).size());
}

QFileReader::~QFileReader() {
    close();
}

bool QFileReader::open(const std::string& path) {
    close();
    buf_.clear();
    pos_ = 0;
    at_end_ = false;
    if (!platform::is_regular_file(platform::file_path(path))) return false;
    file_ = platform::open_file(path, "rb");
    if (file_ == nullptr) return false;
    // A folder (or anything else that opens but gives no data) must be
    // refused here, while the caller can still say so before it has changed
    // anything: the load clears the controller's program before it reads.
    try {
        peek();
    } catch (const std::runtime_error&) {
        close();
        return false;
    }
    return true;
}

void QFileReader::close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

int QFileReader::peek() {
    if (pos_ < buf_.size()) return static_cast<unsigned char>(buf_[pos_]);
    if (at_end_ || file_ == nullptr) return -1;
    buf_.resize(block_);
    const std::size_t n = std::fread(buf_.data(), 1, block_, file_);
    if (n < block_ && std::ferror(file_) != 0) {
        buf_.clear();
        throw std::runtime_error("Read error");
    }
    buf_.resize(n);
    pos_ = 0;
    if (n == 0) {
        at_end_ = true;
        return -1;
    }
    return static_cast<unsigned char>(buf_[0]);
}

bool QFileReader::eof() {
    const int c = peek();
    return c < 0 || c == kCtrlZ;
}

std::string QFileReader::read_line() {
    std::string line;
    skipped_ = 0;
    for (;;) {
        const int c = peek();
        if (c < 0 || c == kCtrlZ) break;
        advance();
        if (c == kLf) break;
        if (c == kCr) {
            if (peek() == kLf) advance();
            break;
        }
        if (line.size() < max_line_) {
            line += static_cast<char>(c);
        } else {
            ++skipped_;
        }
    }
    return line;
}

}  // namespace qvt::transfer
