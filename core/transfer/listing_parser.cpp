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
            const auto tab = buffer_.find(kTab);
            const std::size_t after_tab =
                tab == std::string::npos ? buffer_.size() : buffer_.size() - tab - 1;
            const bool numbered = !buffer_.empty() && buffer_[0] >= '1' && buffer_[0] <= '9';
            if (numbered && after_tab > kMinPaddedStatement && !in_quotes_ &&
                after_tab < kCommentColumn) {
                buffer_.append(kCommentColumn - after_tab, ' ');
            }
            buffer_ += c;
            break;
        }
        case kCr:
            ++cr_run_;
            if (!first_line_ && cr_run_ == 1) write_buffer();
            buffer_.clear();
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
                running_ = false;
            } else {
                buffer_ += c;
            }
            after_lf_ = after_cr_ = false;
            cr_run_ = 0;
            break;
        case kTab:
            buffer_ += c;
            break;
        case ' ':
            after_lf_ = after_cr_ = false;
            cr_run_ = 0;
            buffer_ += c;
            break;
        default:
            after_lf_ = after_cr_ = false;
            buffer_ += c;
            cr_run_ = 0;
            if (c == kDoubleQuote) in_quotes_ = !in_quotes_;
            break;
    }
}

void ListingParser::write_buffer() {
    const auto tab = buffer_.find(kTab);
    const std::size_t from = tab == std::string::npos ? 0 : tab + 1;
    std::string line = buffer_.substr(from, kMaxFileLine);
    line += "\r\n";
    ++written_;
    if (sinks_.write_line) sinks_.write_line(line);
}

}  // namespace qvt::transfer
