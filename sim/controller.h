// The simulated controller: a command interpreter over a byte stream.
//
// How it works: the host's bytes go in through feed(); the controller's bytes
// come out through read(). Nothing here does I/O or reads a clock of its own:
// every call carries the current time in milliseconds, so the same object runs
// in-process under a test's virtual clock and behind kvbsim on a real pty.
// Output that is not yet due (a reply delay, pacing at a baud rate) is held
// back until read() is called at or after its time; next_due_ms() tells when
// something will next become readable or when a running program takes its next
// step, so a caller can sleep exactly that long.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kvb::sim {

struct Options {
    int reply_delay_ms = 0;       // pause before the reply to each command line
    int baud = 0;                 // pace output at this rate (10 bits a byte); 0: unpaced
    bool drop_prompt = false;     // never print the prompt (time-out paths)
    int drop_prompt_every = 0;    // drop every n-th prompt; 0: none
    int garbage_every = 0;        // insert a garbage byte after every n output bytes; 0: none
    int hang_up_after_bytes = 0;  // hang up after this many output bytes; 0: never
    int program_area_bytes = 64 * 1024;  // "Program area is over flowed" past this
    std::string version = "2.05";        // printed after "REV-" by VER
    std::uint32_t seed = 1;              // for garbage bytes
    int statements_per_ms = 1000;        // program speed in controller time
    int max_steps_per_read = 10000;      // cap on program steps run by one read()
    int page_lines = 20;                 // PLS pauses with "?" after this many lines; 0: never
    std::optional<int> counting_bank{};  // this IO bank counts up by itself (moving demo lamps)
    int count_interval_ms = 100;         // controller time per count of the counting bank
};

class Controller {
  public:
    explicit Controller(Options options = {});
    ~Controller();
    Controller(const Controller&) = delete;
    Controller& operator=(const Controller&) = delete;

    // Bytes from the host, at time now_ms.
    void feed(std::string_view bytes, std::int64_t now_ms);
    // Runs program steps due by now_ms and returns the output due by then.
    std::string read(std::int64_t now_ms);
    // The earliest time at which read() would return more or a program would
    // step; nothing when the controller is idle with no output pending.
    std::optional<std::int64_t> next_due_ms() const;
    // True once the controller has hung up (fault injection or HANGUP).
    bool hung_up() const;
    // Requests a hang-up from outside (kvbsim's signal, tests).
    void hang_up();
    // Sets an IO bank's byte from outside, as the wiring of an input would (any
    // bank may be set); false for a bank that does not exist.
    bool set_bank(int bank, int value);
    // The controller's memory as its listings show it, for checks from
    // outside: the program ("number TAB text CR LF" a line), the point table
    // and the MBK data (each line followed by CR LF).
    std::string program() const;
    std::string point_table() const;
    std::string mbk_data() const;
    // A new connection to the same controller: what it holds stays; the line
    // takes the faults of `faults` (reply delay, dropped prompts, garbage
    // bytes, hang-up, seed); output not yet sent and a half-typed line are
    // lost, and a hang-up is over.
    void reconnect(const Options& faults);
    // The byte IN(bank) would give now; -1 for a bank that does not exist.
    int bank(int bank) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace kvb::sim
