#include "core/transfer/listing_parser.h"

namespace qvt::transfer {

namespace {

constexpr char kTab = '\t';
constexpr char kLf = '\n';
constexpr char kCr = '\r';
constexpr char kQuote = '\'';
constexpr char kDoubleQuote = '"';
constexpr char kPrompt = '#';

bool dropped(unsigned char c) {
    return c == 0x07 || (c >= 0x0E && c <= 0x1B);
}

}  // namespace

void ListingParser::feed(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (dropped(u)) return;
    switch (c) {
        case kQuote: {
            after_lf_ = after_cr_ = false;
            cr_run_ = 0;
            const std::size_t after_tab =
                tab_ == std::string::npos ? buffer_.size() : buffer_.size() - tab_ - 1;
            const bool numbered = !buffer_.empty() && buffer_[0] >= '1' && buffer_[0] <= '9';
            if (numbered && after_tab > kMinPaddedStatement && !in_quotes_ &&
                after_tab < kCommentColumn) {
                buffer_.append(kCommentColumn - after_tab, ' ');
            }
            keep(c);
            break;
        }
        case kCr:
            ++cr_run_;
            if (!first_line_ && cr_run_ == 1) write_buffer();
            buffer_.clear();
            tab_ = std::string::npos;
            after_lf_ = false;
            after_cr_ = true;
            in_quotes_ = false;
            break;
        case kLf:
            after_lf_ = true;
            after_cr_ = false;
            cr_run_ = 0;
            first_line_ = false;
            if (!abort_sent_ && sinks_.abort_requested && sinks_.abort_requested()) {
                abort_sent_ = true;
                if (sinks_.send_abort) sinks_.send_abort();
            }
            break;
        case kPrompt:
            if (after_lf_ || after_cr_) {
                buffer_.clear();
                tab_ = std::string::npos;
                running_ = false;
            } else {
                keep(c);
            }
            after_lf_ = after_cr_ = false;
            cr_run_ = 0;
            break;
        case kTab:
            if (tab_ == std::string::npos) {
                tab_ = buffer_.size();
                buffer_ += c;
            } else {
                keep(c);
            }
            break;
        case ' ':
            after_lf_ = after_cr_ = false;
            cr_run_ = 0;
            keep(c);
            break;
        default:
            after_lf_ = after_cr_ = false;
            keep(c);
            cr_run_ = 0;
            if (c == kDoubleQuote) in_quotes_ = !in_quotes_;
            break;
    }
}

void ListingParser::keep(char c) {
    if (first_line_ && echo_.size() < kMaxFileLine) echo_ += c;
    const std::size_t limit = tab_ == std::string::npos ? kMaxFileLine : tab_ + 1 + kMaxFileLine;
    if (buffer_.size() < limit) buffer_ += c;
}

void ListingParser::write_buffer() {
    const std::size_t from = tab_ == std::string::npos ? 0 : tab_ + 1;
    std::string line = buffer_.substr(from, kMaxFileLine);
    line += "\r\n";
    ++written_;
    if (sinks_.write_line) sinks_.write_line(line);
}

}  // namespace qvt::transfer
