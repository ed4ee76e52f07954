// Inside the simulated controller: line entry, modes and the run loop.
//
// The controller is in one of four modes. Command: bytes are collected into a
// line (echoed as the ECHO mode says) and a CR executes it; background tasks
// of a program may run meanwhile. Running: task 1 of a program owns the line;
// read() runs the tasks' steps, bytes go to a waiting INPUT or are dropped,
// Ctrl-A stops it. Break: the program is paused at a break point behind the
// break prompt "#?"; command lines are taken again, "N" or CONT continues, "T"
// traces, editing the program is refused with "Can't Edit". Paging: a point
// listing waits at its "?" for a blank (more) or "Q"/"q" (stop). The reply to
// a line is written reply_delay_ms after its CR; the echo is written at once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/controller.h"
#include "sim/data_tables.h"
#include "sim/interpreter.h"
#include "sim/io_space.h"
#include "sim/output_queue.h"
#include "sim/program_store.h"

namespace kvb::sim {

struct Controller::Impl {
    enum class Mode { Command, Running, Break, Paging };
    // What follows a command's reply.
    enum class After { Prompt, BreakPrompt, Run, Nothing, Page };
    struct Reply {
        std::string text;  // complete lines, each ended by CR LF
        After after = After::Prompt;
        bool listing = false;  // a point or MBK listing, which "q" may stop
    };
    static constexpr std::size_t kMaxLine = 255;
    static constexpr std::size_t kBacklogLimit = 256;

    explicit Impl(Options o);

    void feed_byte(char c, std::int64_t now);
    void stop(std::int64_t now);
    void end_line(std::int64_t now);
    void run_program(std::int64_t now);
    bool program_steps() const;
    std::optional<std::int64_t> next_due() const;

    // Writes the prompt "#" at a line start, unless a fault drops it.
    void prompt(std::int64_t at);
    void break_prompt(const char* what, int line, std::int64_t at);
    // The prompt of the mode the controller returns to: "#" or, at a break, "#?".
    void ready_prompt(Mode m, std::int64_t at);
    // A key while a listing waits at its page pause.
    void page_key(char c, std::int64_t now);
    std::string next_page();
    // The first key after a listing: "q" stops what is still to be sent.
    bool listing_stop_key(char c, std::int64_t now);

    // commands.cpp
    static Reply error_reply(const char* text);
    Reply execute(const std::string& line, std::int64_t now);
    Reply execute_at_break(const std::string& line, std::int64_t now);
    Reply command(const std::string& text, const std::string& word, const std::string& args,
                  std::int64_t now);
    Reply enter_line(const std::string& line, bool auto_number);
    Reply list(const std::string& args) const;
    Reply renumber(const std::string& args);
    Reply break_points(const std::string& args);
    Reply monitor() const;
    Reply run(const std::string& args, std::int64_t now);
    Reply data_listing(const DataTable& table, const std::string& args, bool paged);
    Reply data_line(DataTable& table, const std::string& text, bool point);

    Options options;
    ProgramStore store;
    IoSpace io;
    Interpreter interp;
    DataTable points;
    DataTable mbk;
    OutputQueue out;
    Mode mode = Mode::Command;
    int echo = 1;
    std::string typed;  // the command line being typed
    long long prompts = 0;
    double program_clock_ms = 0;
    std::int64_t last_now = 0;  // the latest time a caller gave
    // A paged listing: the lines still to come and the mode to return to.
    std::vector<std::string> page_rest;
    std::size_t page_next = 0;
    Mode page_return = Mode::Command;
    bool after_listing = false;  // a listing ended and no key has come since
    bool break_shown = false;    // "#?" was sent and no plain prompt since
};

}  // namespace kvb::sim
