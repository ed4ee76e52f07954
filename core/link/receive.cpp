#include "core/link/receive.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace qvt::link {

namespace {

constexpr unsigned char kCtrlC = 3;
constexpr unsigned char kLf = 10;
constexpr unsigned char kCr = 13;
constexpr unsigned char kNak = 21;  // Ctrl-U
constexpr unsigned char kSyn = 22;  // Ctrl-V
constexpr unsigned char kEsc = 27;
constexpr unsigned char kQuote = 34;
constexpr unsigned char kPrompt = 35;  // "#"
constexpr unsigned char kApostrophe = 39;
constexpr unsigned char kQuestion = 63;

constexpr unsigned char kTab = 9;

constexpr int kCommentColumn = 40;
// A line number and a blank take at least this many columns before a comment
// can be one; shorter positions are left where the controller put them.
constexpr int kFirstAlignedColumn = 11;
constexpr int kTabWidth = 8;

constexpr const char* kEraseToEol = "\x1b[0K";

}  // namespace

ReceiveProcessor::ReceiveProcessor(SharedState& state, platform::TerminalControl& term,
                                   ReceiveHooks& hooks)
    : state_(state), term_(term), hooks_(hooks) {}

void ReceiveProcessor::PDQComm1Comm() {
    // An operation that owns the line reads it itself; the bytes stay in the
    // control for it. Error events carry no data.
    if (state_.transfer_mode != 0) return;
    if (!term_.PortOpen()) return;
    if (term_.CommEvent() > 1000) return;

    term_.set_InputLen(0);
    const std::string received = term_.Input();
    term_.set_Disp(process_received(received));
    if (state_.bp_mode != 0) {
        hooks_.set_break_checkbox(true);
        state_.bp_keep_window = 0;
    }
    term_.set_RThreshold(1);
    term_.set_InputLen(0);
}

void ReceiveProcessor::leave_break_prompt() {
    state_.bp_mode = 0;
    hooks_.set_break_checkbox(false);
}

std::string ReceiveProcessor::process_received(std::string_view bytes) {
    const std::size_t n = bytes.size();
    if (n > state_.max_rx_chunk) {
        state_.max_rx_chunk = static_cast<std::uint16_t>(
            std::min<std::size_t>(n, std::numeric_limits<std::uint16_t>::max()));
        hooks_.show_rx_chunk(static_cast<int>(
            std::min<std::size_t>(n, static_cast<std::size_t>(std::numeric_limits<int>::max()))));
    }

    ReceiveParserState& p = parser_;
    std::string show;
    show.reserve(n + 16);
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (p.rx_column == 0) p.rx_numbered_line = (c >= '0' && c <= '9') ? 1 : 0;
        // Columns as the screen shows them: the controller lists a line as
        // number, TAB, statement, and the TAB reaches the next tab stop.
        p.rx_column = c == kTab ? (p.rx_column / kTabWidth + 1) * kTabWidth : p.rx_column + 1;

        switch (c) {
            case kEsc:
                if (p.rx_after_lf != 0 && state_.echo_skip == 0) show += kEraseToEol;
                p.rx_after_lf = 0;
                p.rx_after_cr = 0;
                p.rx_after_esc = 1;
                p.rx_prompt_seen = 0;
                leave_break_prompt();
                break;
            case kCtrlC:
                if (state_.bp_keep_window == 0) {
                    hooks_.close_break_point_window();
                    hooks_.Break_Point_Set_Controls();
                }
                break;
            case kLf:
                p.rx_after_lf = 1;
                p.rx_after_cr = 0;
                p.rx_after_esc = 0;
                p.rx_column = 0;
                p.rx_prompt_seen = 0;
                leave_break_prompt();
                break;
            case kCr:
                state_.echo_skip = 0;
                p.rx_after_lf = 0;
                p.rx_after_cr = 1;
                p.rx_after_esc = 0;
                p.rx_in_quotes = 0;
                break;
            case kPrompt:
                p.rx_prompt_seen = 1;
                leave_break_prompt();
                if (p.rx_after_cr != 0 || p.rx_after_lf != 0 || p.rx_after_esc != 0) {
                    if (state_.bp_hit == 0) state_.term_mode_at_prompt = state_.term_mode;
                    if (state_.term_mode != 0) {
                        state_.term_mode = 0;
                        hooks_.termmode_menu_enable();
                    }
                    if (p.first_prompt_pending != 0) {
                        hooks_.termmode_menu_enable();
                        p.first_prompt_pending = 0;
                    }
                }
                break;
            case kApostrophe:
                p.rx_after_lf = 0;
                p.rx_after_cr = 0;
                if (p.rx_in_quotes == 0 && p.rx_numbered_line != 0 &&
                    p.rx_column >= kFirstAlignedColumn && p.rx_column < kCommentColumn) {
                    show.append(static_cast<std::size_t>(kCommentColumn - p.rx_column), ' ');
                    // An apostrophe inside the comment stands beyond it.
                    p.rx_column = kCommentColumn;
                }
                break;
            case kQuestion:
                if (p.rx_prompt_seen != 0) {
                    state_.bp_hit = 1;
                    state_.bp_mode = 1;
                    hooks_.termmode_menu_enable();
                    if (!hooks_.break_point_window_visible()) hooks_.Break_Point(1);
                }
                p.rx_prompt_seen = 0;
                break;
            default:
                if (p.rx_after_lf != 0 && state_.echo_skip == 0) show += kEraseToEol;
                p.rx_after_cr = 0;
                p.rx_after_lf = 0;
                p.rx_prompt_seen = 0;
                leave_break_prompt();
                if (c == kQuote) p.rx_in_quotes ^= 1;
                break;
        }

        if (state_.echo_skip == 0 && c != kNak && c != kSyn && c > kCtrlC) {
            if (state_.bp_mode != 0) {
                // The break prompt is redrawn from the start of the line in
                // reverse video, so it stands out from program output.
                show += "\r\x1b[7m#";
                show += ch;
                show += "\x1b[0m";
                show += kEraseToEol;
            } else {
                show += ch;
            }
        }
    }
    return show;
}

}  // namespace qvt::link
