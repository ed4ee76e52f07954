// The terminal control for tests: the program's own screen half, and a serial
// half that is an event source of the virtual pump. Output reaches the wire (the
// simulated controller and the responder) at the next dispatch, or paced at the
// output rate; arrivals raise OnComm once a dispatch while RThreshold is 1; a
// failed port or a hung-up controller closes the port and raises OnComm with an
// error, as the real control does. The port starts closed; LinkRig opens it.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/terminal_control.h"
#include "core/terminal/control_base.h"
#include "tests/support/virtual_event_pump.h"

namespace kvb::sim {
class Controller;
}

namespace qvt::test {

class FakeTerminalControl : public terminal::ControlBase, public VirtualEventSource {
  public:
    explicit FakeTerminalControl(VirtualEventPump& pump);
    ~FakeTerminalControl() override;
    FakeTerminalControl(const FakeTerminalControl&) = delete;
    FakeTerminalControl& operator=(const FakeTerminalControl&) = delete;

    // ---- the other end of the line -------------------------------------------
    // Connects the simulated controller (not owned; nullptr disconnects).
    void connect(kvb::sim::Controller* controller) { peer_ = controller; }
    // Bytes from the controller arriving at the next dispatch / at time t /
    // after delay ms from now.
    void deliver(std::string bytes) { deliver_at(pump_.now_ms(), std::move(bytes)); }
    void deliver_at(Millis t, std::string bytes);
    void deliver_after(Millis delay, std::string bytes) {
        deliver_at(pump_.now_ms() + delay, std::move(bytes));
    }
    // Called with every chunk of the host's output as it reaches the wire; may
    // deliver() a reply.
    void set_responder(std::function<void(const std::string& chunk, Millis now)> responder) {
        responder_ = std::move(responder);
    }
    // Called with every complete line the host sends (without its CR).
    void set_line_responder(std::function<void(const std::string& line, Millis now)> responder);
    // Output drains at this many bytes a second; 0 (default): all at the next
    // dispatch.
    void set_output_rate(int bytes_per_second);
    // The next set_PortOpen(true) throws TerminalError with this text.
    void set_open_error(std::string text) { open_error_ = std::move(text); }
    // The port fails at the next dispatch: it closes and OnComm reports code.
    void fail_port(int comm_event = platform::kCommErrorDeviceGone) { failure_ = comm_event; }

    // ---- what the code under test did ------------------------------------------
    const std::string& sent() const { return sent_; }
    void clear_sent() { sent_.clear(); }
    const std::vector<std::string>& disp_log() const { return disp_log_; }
    std::string disp_all() const;
    void clear_disp_log() { disp_log_.clear(); }
    int focus_count() const { return focus_count_; }
    const std::vector<platform::ScrollRequest>& scroll_log() const { return scroll_log_; }
    int comm_events_raised() const { return comm_events_raised_; }
    // Replaces what Text() returns, to model a control whose text differs from
    // the screen (nothing: the screen's own text).
    void override_text(std::optional<std::string> text) { text_override_ = std::move(text); }

    // ---- the user's keys -------------------------------------------------------
    // Runs OnKeyDown and returns the key as the handler left it (0: consumed).
    int key_down(int key, platform::ShiftState shift = {});
    char key_press(char key);

    // ---- VirtualEventSource -------------------------------------------------------
    std::optional<Millis> next_due_ms() const override;
    bool dispatch(Millis now) override;

    // ---- serial side ------------------------------------------------------------
    bool PortOpen() const override { return open_; }
    void set_PortOpen(bool open) override;
    std::string Input() override;
    void set_Output(const std::string& bytes) override;
    int InBufferCount() const override { return static_cast<int>(input_.size()); }
    void set_InBufferCount(int n) override;
    int OutBufferCount() const override { return static_cast<int>(out_pending_.size()); }
    void set_OutBufferCount(int n) override;
    int CommEvent() const override { return comm_event_; }

    // ---- screen side, observed -------------------------------------------------------
    void set_Disp(const std::string& bytes) override;
    std::string Text() const override;
    void Scroll(platform::ScrollRequest request) override;

  protected:
    void focus_requested() override { ++focus_count_; }

  private:
    struct Arrival {
        Millis due;
        std::string bytes;
    };

    void to_wire(const std::string& chunk, Millis now);
    std::size_t drainable(Millis now) const;
    void raise_comm(int event);

    VirtualEventPump& pump_;
    kvb::sim::Controller* peer_ = nullptr;
    std::function<void(const std::string&, Millis)> responder_;
    std::string responder_line_;
    std::deque<Arrival> arrivals_;  // sorted by due, stable

    // Output pacing: bytes drained since drain_start_ at output_rate_ a second.
    int output_rate_ = 0;
    Millis drain_start_ = 0;
    std::size_t drained_since_start_ = 0;

    std::optional<std::string> open_error_;
    std::optional<int> failure_;
    bool peer_gone_reported_ = false;

    std::string sent_;
    std::string out_pending_;
    std::string input_;
    std::vector<std::string> disp_log_;
    std::vector<platform::ScrollRequest> scroll_log_;
    std::optional<std::string> text_override_;
    int focus_count_ = 0;
    int comm_events_raised_ = 0;

    bool open_ = false;
    int comm_event_ = 0;
};

}  // namespace qvt::test
