// The terminal control: one serial port and one terminal screen in one object.
//
// How it works: the serial side is a byte pipe. Received bytes wait in the
// control's input buffer until Input() takes them; while RThreshold() is 1 the
// control raises the receive event (OnComm) once per arrival of data, and once
// with a CommEvent() above 1000 when the port fails (read or write error, the
// device vanished), after which the control has already closed the port itself.
// Output is queued and OutBufferCount() tells how much is still unsent.
//
// The screen side is a character-cell terminal fed through set_Disp() with the
// same bytes the controller sends (VT100-style sequences interpreted). Bytes
// stay bytes: Shift-JIS is decoded only by whatever draws the cells.
//
// Property names follow the control's documented properties: a getter named
// like the property and a setter named set_<Property>. Failures (opening a
// missing port, reading or writing a closed one) throw TerminalError with a
// text for the user.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

namespace qvt::platform {

class TerminalError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// CommEvent codes. Error codes are above 1000.
inline constexpr int kCommEvReceive = 2;
inline constexpr int kCommErrorBreak = 1001;
inline constexpr int kCommErrorFrame = 1004;
inline constexpr int kCommErrorOverrun = 1006;
inline constexpr int kCommErrorRxOver = 1008;
inline constexpr int kCommErrorDeviceGone = 1010;

// Modifier keys held during a key event.
struct ShiftState {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
    friend bool operator==(const ShiftState&, const ShiftState&) = default;
};

// Scroll requests the view of the screen understands (the control's window
// messages for "to top", "line up" and "line down").
enum class ScrollRequest { Top, LineUp, LineDown };

class TerminalControl {
  public:
    virtual ~TerminalControl() = default;

    // ---- serial side -------------------------------------------------------
    virtual int CommPort() const = 0;
    virtual void set_CommPort(int port) = 0;
    virtual std::string Settings() const = 0;  // "38400,n,8,1"
    virtual void set_Settings(const std::string& settings) = 0;
    virtual int Handshaking() const = 0;
    virtual void set_Handshaking(int mode) = 0;
    virtual bool RTSEnable() const = 0;
    virtual void set_RTSEnable(bool on) = 0;
    virtual int InTimeout() const = 0;
    virtual void set_InTimeout(int ms) = 0;
    virtual int SThreshold() const = 0;
    virtual void set_SThreshold(int n) = 0;
    virtual int InBufferSize() const = 0;
    virtual void set_InBufferSize(int n) = 0;
    virtual bool PortOpen() const = 0;
    // Opening a port that cannot be opened throws TerminalError.
    virtual void set_PortOpen(bool open) = 0;
    virtual int RThreshold() const = 0;
    virtual void set_RThreshold(int n) = 0;
    virtual int InputLen() const = 0;
    virtual void set_InputLen(int n) = 0;
    // Takes the waiting bytes (all of them, or one when InputLen() is 1).
    // Throws TerminalError when the port is closed.
    virtual std::string Input() = 0;
    // Queues bytes for sending. Throws TerminalError when the port is closed.
    virtual void set_Output(const std::string& bytes) = 0;
    virtual int InBufferCount() const = 0;
    virtual void set_InBufferCount(int n) = 0;  // 0 discards the waiting bytes
    virtual int OutBufferCount() const = 0;
    virtual void set_OutBufferCount(int n) = 0;  // 0 discards the unsent bytes
    virtual int CommEvent() const = 0;

    // ---- screen side -------------------------------------------------------
    virtual void set_Disp(const std::string& bytes) = 0;
    // Every row followed by CR LF, trailing blanks of each row removed.
    virtual std::string Text() const = 0;
    virtual void set_Text(const std::string& text) = 0;  // empty: clear
    virtual int Columns() const = 0;
    virtual void set_Columns(int n) = 0;
    virtual int Rows() const = 0;
    virtual void set_Rows(int n) = 0;
    virtual int CursorRow() const = 0;  // 1-based
    virtual void set_CursorRow(int row) = 0;
    virtual int CursorColumn() const = 0;  // 1-based
    virtual void set_CursorColumn(int column) = 0;
    virtual int CursorType() const = 0;
    virtual void set_CursorType(int type) = 0;
    virtual int Emulation() const = 0;
    virtual void set_Emulation(int emulation) = 0;
    virtual void set_Font(const std::string& family, int point_size) = 0;
    virtual int AutoScroll() const = 0;
    virtual void set_AutoScroll(int mode) = 0;
    virtual int ScrollRows() const = 0;
    virtual void set_ScrollRows(int rows) = 0;
    // Selection as linear positions into Text().
    virtual int SelStart() const = 0;
    virtual void set_SelStart(int pos) = 0;
    virtual int SelLength() const = 0;
    virtual void set_SelLength(int len) = 0;
    virtual std::string SelText() const = 0;
    virtual void Scroll(ScrollRequest request) = 0;

    virtual bool Enabled() const = 0;
    virtual void set_Enabled(bool on) = 0;
    virtual void SetFocus() = 0;

    // ---- events --------------------------------------------------------------
    std::function<void()> OnComm;
    // key is the Windows virtual-key code; handlers may set it to 0 to consume.
    std::function<void(int& key, ShiftState shift)> OnKeyDown;
    std::function<void(char& key)> OnKeyPress;
    std::function<void(int& key, ShiftState shift)> OnKeyUp;
};

}  // namespace qvt::platform
