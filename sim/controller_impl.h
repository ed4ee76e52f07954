// Inside the simulated controller: line entry, modes and the run loop.
//
// The controller is in one of three modes. Command: bytes are collected into a
// line (echoed as the ECHO mode says) and a CR executes it. Running: a program
// owns the line; read() runs its steps, bytes go to a waiting INPUT or are
// dropped, Ctrl-A stops it. Break: the program is paused at a break point
// behind the break prompt "#?"; command lines are taken again, "N" or CONT
// continues, "T" runs one statement, editing the program is refused with
// "Can't Edit". The reply to a line is written reply_delay_ms after its CR; the
// echo is written at once.
#pragma once

#include <cstdint>
#include <string>

#include "sim/controller.h"
#include "sim/interpreter.h"
#include "sim/output_queue.h"
#include "sim/program_store.h"

namespace kvb::sim {

struct Controller::Impl {
    enum class Mode { Command, Running, Break };
    // What follows a command's reply.
    enum class After { Prompt, BreakPrompt, Run, Nothing };
    struct Reply {
        std::string text;  // complete lines, each ended by CR LF
        After after = After::Prompt;
    };
    static constexpr std::size_t kMaxLine = 255;
    static constexpr std::size_t kBacklogLimit = 256;

    explicit Impl(Options o);

    void feed_byte(char c, std::int64_t now);
    void stop(std::int64_t now);
    void end_line(std::int64_t now);
    void run_program(std::int64_t now);
    std::optional<std::int64_t> next_due() const;

    // Writes the prompt "#" at a line start, unless a fault drops it.
    void prompt(std::int64_t at);
    void break_prompt(const char* what, int line, std::int64_t at);

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
    void start_running(std::int64_t now);

    Options options;
    ProgramStore store;
    Interpreter interp;
    OutputQueue out;
    Mode mode = Mode::Command;
    int echo = 1;
    std::string typed;  // the command line being typed
    long long prompts = 0;
    double program_clock_ms = 0;
};

}  // namespace kvb::sim
