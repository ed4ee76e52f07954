#include "core/link/lifecycle.h"

#include <climits>
#include <exception>

#include "core/link/port_presence.h"

namespace qvt::link {

namespace {

constexpr const char* kCaption = "QVTW2K";
constexpr int kMaxOpenAttempts = 3;
constexpr int kSettleMs = 500;
constexpr int kRetryMs = 1000;

char upper_ascii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Writes 0 into transfer_mode on every way out. The revision query ends with
// transfer_mode cleared rather than restored, and a control error must not
// leave the receive handler locked out for the rest of the run.
class TransferModeClear {
  public:
    explicit TransferModeClear(SharedState& state) : state_(state) { state_.transfer_mode = 1; }
    ~TransferModeClear() { state_.transfer_mode = 0; }
    TransferModeClear(const TransferModeClear&) = delete;
    TransferModeClear& operator=(const TransferModeClear&) = delete;

  private:
    SharedState& state_;
};

}  // namespace

void pdqcom_get_ver(std::string& path, std::string& version) {
    path = kTerminalControlPath;
    version = kTerminalControlVersion;
}

int revision_of_reply(const std::string& collected) {
    std::string upper = collected;
    for (char& c : upper)
        c = upper_ascii(c);
    const auto rev = upper.find("REV-");
    // Without the marker the text is read from its 4th character on, as a
    // 1-based search that found nothing (position 0) plus 4 would.
    const std::size_t first = rev == std::string::npos ? 3 : rev + 4;
    if (first >= upper.size()) return 0;
    const std::string field = upper.substr(first, 10);
    std::size_t i = 0;
    while (i < field.size() && field[i] == ' ')
        ++i;
    long long value = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
        value = value * 10 + (field[i] - '0');
        if (value > INT_MAX) return INT_MAX;
    }
    return static_cast<int>(value);
}

Lifecycle::Lifecycle(SharedState& state, platform::TerminalControl& term, platform::EventPump& pump,
                     Dialogue& dialogue, platform::Dialogs& dialogs,
                     const platform::PortTable& ports, LifecycleView& view)
    : state_(state),
      term_(term),
      pump_(pump),
      dialogue_(dialogue),
      dialogs_(dialogs),
      ports_(ports),
      view_(view),
      timer3_(pump.create_timer()) {
    timer3_->set_callback([this] { Timer3Timer(); });
}

void Lifecycle::Timer3Timer() {
    if (state_.port_is_vcp != 0) {
        CheckVCP();
    } else {
        CheckVCP1();
    }
}

bool Lifecycle::CheckVCP() {
    return check_presence(true);
}

bool Lifecycle::CheckVCP1() {
    return check_presence(false);
}

bool Lifecycle::check_presence(bool vcp_only) {
    if (ending_) return false;
    const auto gone = vcp_only ? link::CheckVCP(ports_, state_.com_port)
                               : link::CheckVCP1(ports_, state_.com_port);
    if (!gone) return true;
    end_with_message(*gone);
    return false;
}

void Lifecycle::end_with_message(const std::string& text) {
    if (ending_) return;
    ending_ = true;
    timer3_->stop();
    dialogs_.MessageBox(kCaption, text, platform::MsgIcon::Error, platform::MsgButtons::Ok);
    view_.end_program();
}

void Lifecycle::PortFailed(int comm_event) {
    if (ending_ || comm_event <= 1000) return;
    // Usually the device is gone already and this ends the program at once;
    // otherwise the port waits for the user (or for Timer3 to see it vanish).
    if (!check_presence(state_.port_is_vcp != 0)) return;
    view_.all_menu_en_ds(false);
    park_main_window();
}

void Lifecycle::Disconnect1Click() {
    if (!term_.PortOpen()) return;
    view_.all_menu_en_ds(false);
    term_.set_PortOpen(false);
    park_main_window();
}

// Only the connect button stays usable; Timer3 keeps running, so unplugging
// the adapter still ends the program.
void Lifecycle::park_main_window() {
    term_.set_Enabled(false);
    view_.set_pages_enabled(false);
    view_.move_connect_button(0, 0);
    view_.set_connect_button_caption(kConnectCaption);
    view_.set_connect_button_visible(true);
    view_.focus_connect_button();
}

void Lifecycle::Button_ConnectClick() {
    int attempts = 0;
    for (;;) {
        try {
            if (term_.PortOpen()) break;
            view_.set_connect_button_enabled(false);
            pump_.process_pending();
            if (monitor_->monitor_window_exists() &&
                view_.connect_button_caption() == kStopMonitorCaption) {
                if (!monitor_->SendMessageToMonitor("Stop")) {
                    view_.set_connect_button_enabled(true);
                    view_.focus_connect_button();
                    return;
                }
            }
            dialogue_.msDelay(kSettleMs);
            if (ending_) return;
            term_.set_Enabled(true);
            term_.set_PortOpen(true);
            term_.set_InBufferCount(0);
            view_.all_menu_en_ds(true);
            view_.set_pages_enabled(true);
            view_.set_connect_button_visible(false);
            view_.set_connect_button_enabled(true);
            term_.SetFocus();
            break;
        } catch (const std::exception& e) {
            if (ending_) return;
            if (++attempts >= kMaxOpenAttempts) {
                dialogs_.MessageBox(kCaption, e.what(), platform::MsgIcon::Error,
                                    platform::MsgButtons::Ok);
                pump_.process_pending();
                view_.set_connect_button_enabled(true);
                view_.set_connect_button_visible(true);
                view_.focus_connect_button();
                break;
            }
            dialogue_.msDelay(kRetryMs);
            if (ending_) return;
        }
    }
    view_.bring_main_window_to_front();
}

void Lifecycle::forced_term() {
    // The profile and the histories are saved by the time the launcher gets
    // here; leaving the event loop ends the program normally.
    timer3_->stop();
    view_.quit_application();
}

int Lifecycle::GetKVB68KVersion() {
    TransferModeClear mode(state_);
    term_.set_InBufferCount(0);
    term_.set_OutBufferCount(0);
    term_.set_Output("VER\r");
    dialogue_.CommOutBufferWiatZero();

    std::string collected;
    bool after_lf = false;
    bool after_cr = false;
    bool done = false;
    dialogue_.read_bytes_until([&](char c) {
        if (done) return true;
        if (c == '\n') {
            after_lf = true;
            after_cr = false;
        } else if (c == '\r') {
            after_cr = true;
            after_lf = false;
        } else if (c == '#') {
            if (after_lf || after_cr) done = true;
        } else if (c != '.') {
            collected += c;
            after_lf = false;
            after_cr = false;
        }
        return done;
    });
    return revision_of_reply(collected);
}

}  // namespace qvt::link
