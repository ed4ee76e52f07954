// The IO checker: 24 outputs and 24 inputs of the controller at a time as
// lamps, the inputs polled without pause, single outputs switched by a click.
//
// How it works: the window is a view of this model. It forwards clicks, keys,
// scroll-bar moves and the two view boxes; the model changes its captions,
// lamps and scroll bars and tells the view which part to repaint (a lamp only
// when its state changed). Three point spaces can be shown with the same
// controls: the controller's own ("real") IO, where outputs are points 0-191
// then 384-575 and inputs 192-383 then 576-767; CUnet points 2000 upwards; and
// memory-IO points -1 downwards. In the last two, outputs can change outside
// this window, so the three shown output banks are read back on every pass.
//
// Activation (the window shown, or the return from another view) reads every
// real output bank once; then a one-shot timer starts the polling loop, which
// runs inside that timer's event until the window closes or a read fails.
// Each pass reads the three shown input banks, sends the pending click as
// "ON n" / "OFF n", applies a pending change of view, handles a pending clear
// and pumps events twice. Every reply goes through the dialogue's read loop,
// which sleeps in the event pump while the line is silent: the loop is as
// fast as the controller answers and costs no CPU while waiting, and every
// user action is handled within the pass (actions only set requests, acted on
// at fixed points of the pass). A read fails after 2000 ms from its start, or
// 60000 ms when a scroll bar moved meanwhile (the user may hold the bar);
// a failed read or a reply that is no number stops polling with "Data Input
// Error" and leaves the window open until Cancel.
//
// Cancel ends a read or an output's wait at once (the loop stops mid-pass and
// the reply's rest is discarded), so the window never lingers after the user
// closed it; the end of the program unwinds every wait through the pump.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/console/operations.h"
#include "core/link/dialogue.h"
#include "core/link/shared_state.h"
#include "core/platform/event_pump.h"
#include "core/platform/terminal_control.h"

namespace qvt::iocheck {

inline constexpr int kShown = 24;  // points shown per kind (three banks)
inline constexpr int kRows = 3;

enum class IoView : std::uint8_t { Real, Cunet, MemIo };

// The keys the window forwards from an output button.
enum class IoKey : std::uint8_t {
    PageUp,
    PageDown,
    Insert,
    Delete,
    Home,
    End,
    Backspace,
    F6,
    F10,
    Up,
    Down,
    Left,
    Right,
    Other
};

// What the view repaints; index is a point index (0-23) for buttons, panels
// and lamps, and unused otherwise.
enum class IoPart : std::uint8_t {
    OutButton,
    OutLamp,
    InPanel,
    InLamp,
    Banks,  // bank panels and data labels of both halves
    Scroll,
    Boxes,
    Panel8,
    Panel6,
    Focus
};

struct ScrollState {
    int min = 0;
    int max = 0;
    int small_step = 1;
    int large_step = 1;
    int position = 0;
};

struct BoxState {
    bool ticked = false;
    bool enabled = false;
    bool visible = true;
};

// Numbering of the three views (p: scroll position, i: point index 0-23).
int real_output_point(int position, int i);
int real_input_point(int position, int i);
int view_point(IoView view, int p, int i);  // CUnet and memory IO
int view_bank(IoView view, int p, int row);
// "&H05": the controller's hexadecimal notation, at least two digits.
std::string hex_caption(int value);

struct IoCheckerDeps {
    link::SharedState& state;
    platform::TerminalControl& term;
    platform::EventPump& pump;
    link::Dialogue& dialogue;
};

class IoChecker final : public console::IoOperations {
  public:
    explicit IoChecker(const IoCheckerDeps& deps);
    ~IoChecker() override;
    IoChecker(const IoChecker&) = delete;
    IoChecker& operator=(const IoChecker&) = delete;

    void ShowIOCheckerModal() override;

    // ---- the window's events --------------------------------------------
    // The window became active: reads the outputs and starts polling.
    void FormActivate();
    void Button1Click();  // "Cancel(Esc)"
    void Button2Click() { clear_request_ = 1; }
    void OutClick(int index) { clicked_ = index; }
    void OutEnter(int index) { focused_ = index; }
    void OutSBChange(int position);
    void INSBChange(int position);
    // A key on an output button (ctrl: Ctrl alone held); true when consumed.
    bool OutKeyDown(int index, IoKey key, bool ctrl);
    void SLNKClick(bool ticked) { view_box_click(IoView::Cunet, ticked); }
    void MemIOClick(bool ticked) { view_box_click(IoView::MemIo, ticked); }

    // ---- what the window shows ------------------------------------------
    int out_caption(int i) const { return out_caption_.at(idx(i)); }
    int in_caption(int i) const { return in_caption_.at(idx(i)); }
    bool out_lamp(int i) const { return out_lamp_.at(idx(i)); }
    bool in_lamp(int i) const { return in_lamp_.at(idx(i)); }
    int out_bank(int r) const { return out_bank_.at(idx(r)); }
    int in_bank(int r) const { return in_bank_.at(idx(r)); }
    int out_data(int r) const { return out_data_.at(idx(r)); }
    int in_data(int r) const { return in_data_.at(idx(r)); }
    const ScrollState& out_scroll() const { return out_sb_; }
    const ScrollState& in_scroll() const { return in_sb_; }
    const BoxState& slnk() const { return slnk_; }
    const BoxState& memio() const { return memio_; }
    const std::string& panel8() const { return panel8_; }
    const std::string& panel6() const { return panel6_; }
    int focus() const { return focused_; }
    IoView view() const;
    bool open() const { return open_; }
    bool stopped() const { return stop_ != 0; }

    // Runs the window modally until close_window; set by the front end.
    std::function<void()> show_modal;
    std::function<void()> close_window;
    std::function<void(IoPart part, int index)> on_change;

  private:
    static std::size_t idx(int i) { return static_cast<std::size_t>(i); }
    void changed(IoPart part, int index = 0) {
        if (on_change) on_change(part, index);
    }
    void set_focus(int index);
    void set_out_lamp(int i, bool on);
    void set_in_lamp(int i, bool on);
    void set_panel6(const std::string& text);
    void set_panel8(const std::string& text);
    void set_scrolling();
    void move_scroll(bool outputs, int position);

    bool activate();
    bool IniOutRead();
    void Timer1Timer();
    void InPortRead();
    bool view_hooks();
    bool read_row(int bank, std::string& reply);
    bool DataIn(std::string& reply);
    bool send_and_wait(const std::string& command);
    bool switch_output(int index);
    bool clear_outputs();
    bool Current_OutRead(IoView view);
    void view_change(IoView view);
    void view_box_click(IoView view, bool ticked);
    void slnk_memio_arrayinit();
    void BankDataDisp();
    void close();
    BoxState& box(IoView view) { return view == IoView::Cunet ? slnk_ : memio_; }
    std::uint8_t* table_entry(IoView view, int point);

    IoCheckerDeps d_;
    std::unique_ptr<platform::Timer> timer1_;
    bool open_ = false;

    std::array<int, kShown> out_caption_{};
    std::array<int, kShown> in_caption_{};
    std::array<bool, kShown> out_lamp_{};
    std::array<bool, kShown> in_lamp_{};
    std::array<int, kRows> out_bank_{};
    std::array<int, kRows> in_bank_{};
    std::array<int, kRows> out_data_{};
    std::array<int, kRows> in_data_{};
    ScrollState out_sb_;
    ScrollState in_sb_;
    BoxState slnk_;
    BoxState memio_;
    std::string panel8_;
    std::string panel6_;

    // Real outputs by point number (0-575, one spare), 1 = on.
    std::vector<std::uint8_t> real_out_;
    // CUnet points by number, memory-IO point n at -n - 1; shared by both views.
    std::vector<std::uint8_t> view_out_;
    std::array<std::string, kRows> remembered_;

    int clicked_ = -1;
    int focused_ = 0;
    std::uint8_t clear_request_ = 0;
    std::uint8_t close_request_ = 0;
    std::uint8_t closing_ = 0;
    std::uint8_t stop_ = 0;
    std::uint8_t scrolling_ = 0;
    bool cunet_readback_ = false;
    bool memio_readback_ = false;
    bool cunet_change_ = false;
    bool memio_change_ = false;
    bool back_from_cunet_ = false;
    bool back_from_memio_ = false;

    // The running read's limits: a scroll during the read extends them.
    link::ReadLimits limits_;
    platform::Millis read_start_ = 0;
    bool reading_ = false;
    int busy_ = 0;
    bool reply_pending_ = false;  // a command was sent and its reply not read
};

}  // namespace qvt::iocheck
