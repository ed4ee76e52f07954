#include "core/iocheck/io_checker.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace qvt::iocheck {

namespace {

// Counts the activations and polling loops under way (a return to the real
// view runs the activation inside the loop).
struct Busy {
    explicit Busy(int& depth) : depth_(depth) { ++depth_; }
    ~Busy() { --depth_; }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

  private:
    int& depth_;
};

constexpr int kRealOutputs = 577;
constexpr int kViewOutputs = 8193;
constexpr platform::Millis kReadLimitMs = 2000;
constexpr platform::Millis kScrollReadLimitMs = 60000;
// How long the rest of a reply that Cancel cut short is awaited, so that it
// does not reach the terminal after the window closed.
constexpr platform::Millis kDrainMs = 200;
constexpr const char* kDataInputError = "Data Input Error";
constexpr const char* kReading = " Wait.. Reading current I/O status.";

struct BadReply : std::runtime_error {
    BadReply() : std::runtime_error(kDataInputError) {}
};

// A reply must be a decimal integer, as the controller prints IN().
int decimal(const std::string& text) {
    std::size_t pos = 0;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) pos = 1;
    if (pos == text.size()) throw BadReply();
    // 64 bits on every system: a long has 32 on Windows, where 1L << 31 is
    // negative and made every reply read as the smallest int.
    std::int64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c < '0' || c > '9') throw BadReply();
        value = std::min<std::int64_t>(value * 10 + (c - '0'), std::int64_t{1} << 31);
    }
    return static_cast<int>(text[0] == '-' ? -value : value);
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

bool bit(int value, int j) {
    return ((value >> j) & 1) != 0;
}

}  // namespace

int real_output_point(int position, int i) {
    const int n = position / 8 * 8 + i;
    return n >= 192 ? n + 192 : n;
}

int real_input_point(int position, int i) {
    const int n = position / 8 * 8 + i;
    return n >= 384 ? n + 192 : n;
}

int view_point(IoView view, int p, int i) {
    return view == IoView::MemIo ? -(8 * p + 1 + i) : 2000 + 8 * p + i;
}

int view_bank(IoView view, int p, int row) {
    return view == IoView::MemIo ? -(p + row + 1) : 2000 + p + row;
}

std::string hex_caption(int value) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>(value));
    return std::string("&H") + digits;
}

IoChecker::IoChecker(const IoCheckerDeps& deps)
    : d_(deps),
      timer1_(deps.pump.create_timer()),
      real_out_(kRealOutputs),
      view_out_(kViewOutputs) {
    timer1_->set_callback([this] { Timer1Timer(); });
}

IoChecker::~IoChecker() {
    timer1_->stop();
}

IoView IoChecker::view() const {
    if (memio_.ticked) return IoView::MemIo;
    if (slnk_.ticked) return IoView::Cunet;
    return IoView::Real;
}

void IoChecker::ShowIOCheckerModal() {
    open_ = true;
    closing_ = 0;
    close_request_ = 0;
    reply_pending_ = false;
    struct Closed {
        IoChecker& c;
        ~Closed() {
            c.open_ = false;
            c.timer1_->stop();
        }
    } closed{*this};
    if (show_modal) show_modal();
}

// ---- display --------------------------------------------------------------------

void IoChecker::set_focus(int index) {
    focused_ = index;
    changed(IoPart::Focus, index);
}

void IoChecker::set_out_lamp(int i, bool on) {
    if (out_lamp_.at(idx(i)) == on) return;
    out_lamp_[idx(i)] = on;
    changed(IoPart::OutLamp, i);
}

void IoChecker::set_in_lamp(int i, bool on) {
    if (in_lamp_.at(idx(i)) == on) return;
    in_lamp_[idx(i)] = on;
    changed(IoPart::InLamp, i);
}

void IoChecker::set_panel6(const std::string& text) {
    panel6_ = text;
    changed(IoPart::Panel6);
}

void IoChecker::set_panel8(const std::string& text) {
    panel8_ = text;
    changed(IoPart::Panel8);
}

void IoChecker::BankDataDisp() {
    for (int r = 0; r < kRows; ++r) {
        int value = 0;
        for (int j = 0; j < 8; ++j) {
            if (out_lamp_[idx(8 * r + j)]) value |= 1 << j;
        }
        out_data_[idx(r)] = value;
    }
    changed(IoPart::Banks);
}

// ---- scrolling --------------------------------------------------------------------

void IoChecker::set_scrolling() {
    scrolling_ = 1;
    // A read under way gets the long limit too: the user may be holding the bar.
    if (reading_) limits_.deadline_ms = read_start_ + kScrollReadLimitMs + 1;
}

void IoChecker::OutSBChange(int position) {
    set_scrolling();
    out_sb_.position = position;
    const IoView v = view();
    if (v != IoView::Real) {
        for (int i = 0; i < kShown; ++i) {
            out_caption_[idx(i)] = view_point(v, position, i);
            changed(IoPart::OutButton, i);
        }
        for (int r = 0; r < kRows; ++r)
            out_bank_[idx(r)] = view_bank(v, position, r);
        // The next read-back repaints the lamps of the banks now shown.
        remembered_.fill({});
    } else {
        for (int i = 0; i < kShown; ++i) {
            const int n = real_output_point(position, i);
            out_caption_[idx(i)] = n;
            changed(IoPart::OutButton, i);
            set_out_lamp(i, real_out_[idx(n)] != 0);
        }
        for (int r = 0; r < kRows; ++r)
            out_bank_[idx(r)] = out_caption_[idx(8 * r)] / 8;
    }
    changed(IoPart::Scroll);
    changed(IoPart::Banks);
}

void IoChecker::INSBChange(int position) {
    set_scrolling();
    in_sb_.position = position;
    const IoView v = view();
    for (int i = 0; i < kShown; ++i) {
        in_caption_[idx(i)] =
            v == IoView::Real ? real_input_point(position, i) : view_point(v, position, i);
        changed(IoPart::InPanel, i);
    }
    for (int r = 0; r < kRows; ++r) {
        in_bank_[idx(r)] =
            v == IoView::Real ? in_caption_[idx(8 * r)] / 8 : view_bank(v, position, r);
    }
    changed(IoPart::Scroll);
    changed(IoPart::Banks);
}

// A position set by a key: within the bar's range, and like a user's move
// only when it changes.
void IoChecker::move_scroll(bool outputs, int position) {
    ScrollState& sb = outputs ? out_sb_ : in_sb_;
    position = std::clamp(position, sb.min, sb.max);
    if (position == sb.position) return;
    if (outputs) {
        OutSBChange(position);
    } else {
        INSBChange(position);
    }
}

bool IoChecker::OutKeyDown(int index, IoKey key, bool ctrl) {
    const int step = view() == IoView::Real ? 8 : 1;
    const auto step_or_end = [&](bool outputs, int direction) {
        const ScrollState& sb = outputs ? out_sb_ : in_sb_;
        const int target =
            ctrl ? (direction < 0 ? sb.min : sb.max) : sb.position + direction * step;
        move_scroll(outputs, target);
    };
    switch (key) {
        case IoKey::PageUp:
        case IoKey::PageDown:
            step_or_end(true, key == IoKey::PageUp ? -1 : 1);
            return true;
        case IoKey::Insert:
        case IoKey::Delete:
            step_or_end(false, key == IoKey::Insert ? -1 : 1);
            return true;
        case IoKey::Home:
        case IoKey::End:
            step_or_end(true, key == IoKey::Home ? -1 : 1);
            step_or_end(false, key == IoKey::Home ? -1 : 1);
            return true;
        case IoKey::Backspace:
        case IoKey::Down:
            set_focus((index + 8) % kShown);
            return true;
        case IoKey::Up:
            set_focus((index + kShown - 8) % kShown);
            return true;
        // The tab order runs each row from its left end (index 7 of the row)
        // to its right end, bottom row first: the next control is index - 1.
        case IoKey::Right:
            set_focus((index + kShown - 1) % kShown);
            return true;
        case IoKey::Left:
            set_focus((index + 1) % kShown);
            return true;
        case IoKey::F6:
            clear_request_ = 1;
            return true;
        case IoKey::F10:
            return true;
        case IoKey::Other:
            break;
    }
    return false;
}

// ---- activation -----------------------------------------------------------------

void IoChecker::FormActivate() {
    if (!open_) return;
    if (!activate() && closing_ != 0) close();
}

bool IoChecker::activate() {
    Busy busy(busy_);
    timer1_->stop();
    stop_ = 0;
    slnk_ = {false, false, slnk_.visible};
    memio_ = {false, false, memio_.visible};
    cunet_readback_ = memio_readback_ = false;
    changed(IoPart::Boxes);
    set_panel8("");
    set_panel6(kReading);

    std::fill(real_out_.begin(), real_out_.end(), 0);
    slnk_memio_arrayinit();
    for (int i = 0; i < kShown; ++i) {
        set_out_lamp(i, false);
        set_in_lamp(i, false);
    }
    out_data_.fill(0);
    in_data_.fill(0);
    out_sb_ = {0, 360, 8, 24, -1};
    in_sb_ = {192, 552, 8, 24, -1};
    OutSBChange(0);
    INSBChange(192);
    set_focus(0);
    clicked_ = -1;
    clear_request_ = 0;
    close_request_ = 0;

    if (!IniOutRead()) return false;

    slnk_.enabled = slnk_.visible = true;
    memio_.enabled = memio_.visible = true;
    changed(IoPart::Boxes);
    set_focus(0);
    closing_ = 0;
    cunet_change_ = memio_change_ = back_from_cunet_ = back_from_memio_ = false;
    timer1_->start(100, false);
    set_panel6("");
    return true;
}

bool IoChecker::IniOutRead() {
    const auto read_bank = [this](int b) {
        std::string reply;
        if (!read_row(b, reply)) return false;
        int v = 0;
        try {
            v = decimal(reply);
        } catch (const BadReply&) {
            // Not a number: the same stop as a silent controller.
            stop_ = 1;
            set_panel6(kDataInputError);
            return false;
        }
        for (int j = 0; j < 8; ++j) {
            if (bit(v, j)) real_out_[idx(8 * b + j)] = 1;
        }
        if (b < kRows) {
            out_data_[idx(b)] = v & 0xFF;
            for (int j = 0; j < 8; ++j) {
                if (bit(v, j)) set_out_lamp(8 * b + j, true);
            }
        }
        return true;
    };
    for (int b = 0; b < 24; ++b) {
        if (!read_bank(b)) return false;
    }
    for (int b = 48; b < 72; ++b) {
        if (!read_bank(b)) return false;
    }
    BankDataDisp();
    return true;
}

// ---- the polling loop -------------------------------------------------------------

void IoChecker::Timer1Timer() {
    timer1_->stop();
    if (!open_) return;
    if (closing_ != 0) {
        close();
        return;
    }
    try {
        InPortRead();
    } catch (const std::exception&) {
        // A reply that is no number, or a line that failed: polling is over
        // until the next activation.
        stop_ = 1;
        set_panel6(kDataInputError);
    }
}

void IoChecker::InPortRead() {
    Busy busy(busy_);
    for (;;) {
        d_.term.set_InBufferCount(0);
        d_.term.set_OutBufferCount(0);
        for (int r = 0; r < kRows; ++r) {
            std::string reply;
            if (!read_row(in_bank_[idx(r)], reply)) {
                if (closing_ != 0) close();
                return;
            }
            const int v = decimal(reply);
            in_data_[idx(r)] = v & 0xFF;
            for (int j = 0; j < 8; ++j)
                set_in_lamp(8 * r + j, bit(v, j));
        }
        changed(IoPart::Banks);
        if (clicked_ >= 0 && !switch_output(clicked_)) {
            close();
            return;
        }
        clicked_ = -1;
        if (!view_hooks()) return;
        d_.pump.process_pending();
        if (clear_request_ != 0 && !clear_outputs()) {
            close();
            return;
        }
        BankDataDisp();
        d_.pump.process_pending();
        if (close_request_ != 0 || closing_ != 0) {
            close();
            return;
        }
    }
}

// False when the loop must end: a read-back failed, or the real view's
// activation has started a new loop.
bool IoChecker::view_hooks() {
    const auto read_back = [this](IoView v) {
        if (Current_OutRead(v)) return true;
        if (closing_ != 0) close();
        return false;
    };
    if (cunet_readback_ && !read_back(IoView::Cunet)) return false;
    if (cunet_change_) view_change(IoView::Cunet);
    if (memio_readback_ && !read_back(IoView::MemIo)) return false;
    if (memio_change_) view_change(IoView::MemIo);
    if (back_from_cunet_ || back_from_memio_) {
        back_from_cunet_ = back_from_memio_ = false;
        if (closing_ != 0) return true;
        if (!activate() && closing_ != 0) close();
        return false;
    }
    return true;
}

bool IoChecker::read_row(int bank, std::string& reply) {
    if (closing_ != 0) return false;
    reply_pending_ = true;
    d_.term.set_Output("PRINT IN(" + std::to_string(bank) + ")\r");
    d_.dialogue.CommOutBufferWiatZero();
    return DataIn(reply);
}

bool IoChecker::DataIn(std::string& reply) {
    stop_ = 0;
    read_start_ = d_.pump.now_ms();
    // The limit is passed once the clock is beyond it.
    limits_.deadline_ms = read_start_ + (scrolling_ != 0 ? kScrollReadLimitMs : kReadLimitMs) + 1;
    limits_.abort_flag = &closing_;
    reading_ = true;
    std::string text;
    link::ReadEnd end = link::ReadEnd::Aborted;
    try {
        end = d_.dialogue.read_until(
            [&text](std::string_view block) {
                for (const char c : block) {
                    if (c == '#') return true;
                    if (c == '\n') {
                        text += ' ';
                    } else if (c != '\r') {
                        text += c;
                    }
                }
                return false;
            },
            limits_);
    } catch (...) {
        reading_ = false;
        throw;
    }
    reading_ = false;
    scrolling_ = 0;
    if (end != link::ReadEnd::Aborted) reply_pending_ = false;
    if (end == link::ReadEnd::TimedOut) {
        stop_ = 1;
        set_panel6(kDataInputError);
        return false;
    }
    if (end == link::ReadEnd::Aborted) return false;
    // The echo ends with the bank's ")"; its line break is the character after.
    const auto paren = text.find(')');
    const std::size_t from = paren == std::string::npos ? 1 : paren + 2;
    reply = from < text.size() ? trimmed(text.substr(from, 255)) : std::string{};
    return true;
}

// Sends a command whose reply is only the prompt, and waits for that without
// a limit; false when Cancel cut the wait short.
bool IoChecker::send_and_wait(const std::string& command) {
    if (closing_ != 0) return false;
    d_.term.set_InBufferCount(0);
    d_.term.set_OutBufferCount(0);
    reply_pending_ = true;
    d_.term.set_Output(command + "\r");
    d_.dialogue.CommOutBufferWiatZero();
    bool line_start = false;
    const auto end = d_.dialogue.read_bytes_until(
        [&line_start](char c) {
            if (c == '#' && line_start) return true;
            line_start = c == '\r' || c == '\n';
            return false;
        },
        {-1, &closing_});
    set_panel8(command);
    if (end != link::ReadEnd::Complete) return false;
    reply_pending_ = false;
    return true;
}

std::uint8_t* IoChecker::table_entry(IoView v, int point) {
    switch (v) {
        case IoView::Real:
            if (point >= 0 && point < kRealOutputs) return &real_out_[idx(point)];
            break;
        case IoView::Cunet:
            if (point >= 0 && point < kViewOutputs) return &view_out_[idx(point)];
            break;
        case IoView::MemIo:
            if (-point - 1 >= 0 && -point - 1 < kViewOutputs) return &view_out_[idx(-point - 1)];
            break;
    }
    return nullptr;
}

bool IoChecker::switch_output(int index) {
    const int n = out_caption_.at(idx(index));
    std::uint8_t* state = table_entry(view(), n);
    if (state == nullptr) return true;
    const bool on = *state == 0;
    set_out_lamp(index, on);
    *state = on ? 1 : 0;
    return send_and_wait((on ? "ON " : "OFF ") + std::to_string(n));
}

bool IoChecker::clear_outputs() {
    std::fill(real_out_.begin(), real_out_.end(), 0);
    for (int i = 0; i < kShown; ++i)
        set_out_lamp(i, false);
    const IoView v = view();
    const char* command = v == IoView::MemIo   ? "CLR_OUTP 8"
                          : v == IoView::Cunet ? "CLR_OUTP 2"
                                               : "CLR_OUTP 1";
    const bool done = send_and_wait(command);
    slnk_memio_arrayinit();
    clear_request_ = 0;
    return done;
}

// ---- CUnet and memory-IO views ---------------------------------------------------

void IoChecker::slnk_memio_arrayinit() {
    std::fill(view_out_.begin(), view_out_.end(), 0);
    remembered_.fill({});
}

void IoChecker::view_box_click(IoView v, bool ticked) {
    slnk_memio_arrayinit();
    cunet_readback_ = memio_readback_ = false;
    BoxState& clicked = box(v);
    BoxState& other = box(v == IoView::Cunet ? IoView::MemIo : IoView::Cunet);
    clicked.ticked = ticked;
    clicked.enabled = false;
    (v == IoView::Cunet ? cunet_change_ : memio_change_) = true;
    other.enabled = !ticked;
    changed(IoPart::Boxes);
}

void IoChecker::view_change(IoView v) {
    (v == IoView::Cunet ? cunet_change_ : memio_change_) = false;
    BoxState& b = box(v);
    b.enabled = false;
    changed(IoPart::Boxes);
    if (!b.ticked) {
        (v == IoView::Cunet ? back_from_cunet_ : back_from_memio_) = true;
        return;
    }
    const int last = v == IoView::Cunet ? 509 : 1021;
    out_sb_ = {0, last, 1, 3, out_sb_.position};
    in_sb_ = {0, last, 1, 3, in_sb_.position};
    cunet_readback_ = v == IoView::Cunet;
    memio_readback_ = v == IoView::MemIo;
    for (int i = 0; i < kShown; ++i) {
        set_out_lamp(i, false);
        set_in_lamp(i, false);
    }
    out_data_.fill(0);
    in_data_.fill(0);
    OutSBChange(0);
    INSBChange(0);
    d_.pump.process_pending();
    set_focus(0);
}

bool IoChecker::Current_OutRead(IoView v) {
    for (int r = 0; r < kRows; ++r) {
        std::string reply;
        if (!read_row(out_bank_[idx(r)], reply)) return false;
        if (reply == remembered_[idx(r)]) continue;
        const int value = decimal(reply);
        for (int j = 0; j < 8; ++j) {
            const int i = 8 * r + j;
            set_out_lamp(i, bit(value, j));
            if (std::uint8_t* state = table_entry(v, out_caption_[idx(i)])) {
                *state = bit(value, j) ? 1 : 0;
            }
        }
        remembered_[idx(r)] = reply;
    }
    if (!box(v).enabled) {
        box(v).enabled = true;
        changed(IoPart::Boxes);
    }
    return true;
}

// ---- closing ----------------------------------------------------------------------

void IoChecker::Button1Click() {
    closing_ = 1;
    close_request_ = 1;
    slnk_.visible = false;
    changed(IoPart::Boxes);
    // A running read or wait ends at once and its loop closes the window;
    // otherwise nobody else would.
    if (stop_ != 0 || busy_ == 0) close();
}

void IoChecker::close() {
    timer1_->stop();
    if (!open_) return;
    open_ = false;
    if (close_window) close_window();
    if (!d_.term.PortOpen()) return;
    // A reply cut short by Cancel must not reach the terminal: its rest is
    // near, awaited briefly and dropped.
    if (reply_pending_) {
        reply_pending_ = false;
        try {
            d_.dialogue.read_until(
                [](std::string_view block) { return block.find('#') != std::string_view::npos; },
                {d_.pump.now_ms() + kDrainMs, nullptr});
        } catch (const platform::TerminalError&) {
            return;  // the lifecycle tells of the vanished port
        }
    }
    d_.term.set_InBufferCount(0);
}

}  // namespace qvt::iocheck
