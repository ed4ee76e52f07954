// The parts of a terminal control that every implementation shares.
//
// How it works: on top of the screen half (ScreenSide) this keeps the serial
// properties that are only remembered until the port is opened or read:
// port number, settings text, handshaking, RTS, time-outs, thresholds, buffer
// size and read length. A concrete control (the Qt one on a real port, the
// test double on the simulator) reads them when it opens or reads the port,
// and overrides a setter when a change must reach a port that is already open.
#pragma once

#include <string>

#include "core/terminal/screen_side.h"

namespace qvt::terminal {

class ControlBase : public ScreenSide {
  public:
    int CommPort() const override { return comm_port_; }
    void set_CommPort(int port) override { comm_port_ = port; }
    std::string Settings() const override { return settings_; }
    void set_Settings(const std::string& settings) override { settings_ = settings; }
    int Handshaking() const override { return handshaking_; }
    void set_Handshaking(int mode) override { handshaking_ = mode; }
    bool RTSEnable() const override { return rts_enable_; }
    void set_RTSEnable(bool on) override { rts_enable_ = on; }
    int InTimeout() const override { return in_timeout_; }
    void set_InTimeout(int ms) override { in_timeout_ = ms; }
    int SThreshold() const override { return s_threshold_; }
    void set_SThreshold(int n) override { s_threshold_ = n; }
    int InBufferSize() const override { return in_buffer_size_; }
    void set_InBufferSize(int n) override { in_buffer_size_ = n; }
    int RThreshold() const override { return r_threshold_; }
    void set_RThreshold(int n) override { r_threshold_ = n; }
    int InputLen() const override { return input_len_; }
    void set_InputLen(int n) override { input_len_ = n; }

  protected:
    int comm_port_ = 1;
    std::string settings_ = "9600,n,8,1";
    int handshaking_ = 0;
    bool rts_enable_ = false;
    int in_timeout_ = 0;
    int s_threshold_ = 0;
    int in_buffer_size_ = 1024;
    int r_threshold_ = 0;
    int input_len_ = 0;
};

}  // namespace qvt::terminal
