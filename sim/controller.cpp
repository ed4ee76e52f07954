#include "sim/controller.h"

#include <algorithm>
#include <cmath>

#include "sim/controller_impl.h"

namespace kvb::sim {

namespace {

constexpr char kStop = 0x01;
constexpr char kBackspace = 0x08;
constexpr char kDelete = 0x7F;

std::string trim(const std::string& s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
        --e;
    return s.substr(b, e - b);
}

}  // namespace

Controller::Impl::Impl(Options o)
    : options(std::move(o)),
      store(static_cast<std::size_t>(std::max(0, options.program_area_bytes))),
      interp(store, io),
      out(options) {
    if (options.counting_bank && IoSpace::valid_bank(*options.counting_bank)) {
        io.set_counting(*options.counting_bank, options.count_interval_ms);
    }
}

void Controller::Impl::prompt(std::int64_t at) {
    if (break_shown) {
        // Ctrl-C tells the host that the break is over (its break-point window
        // closes); it goes before the line break so that a host waiting for "#"
        // right after CR or LF still finds it.
        out.write("\x03\r\n", at);
        break_shown = false;
    } else if (!out.at_line_start()) {
        out.write("\r\n", at);
    }
    ++prompts;
    const bool dropped = options.drop_prompt || (options.drop_prompt_every > 0 &&
                                                 prompts % options.drop_prompt_every == 0);
    if (!dropped) out.write("#", at);
}

void Controller::Impl::break_prompt(const char* what, int at_line, std::int64_t at) {
    if (!out.at_line_start()) out.write("\r\n", at);
    out.write(std::string(what) + " at " + std::to_string(at_line) + "\r\n#?", at);
    break_shown = true;
}

void Controller::Impl::ready_prompt(Mode m, std::int64_t at) {
    if (m != Mode::Break) {
        prompt(at);
        return;
    }
    if (!out.at_line_start()) out.write("\r\n", at);
    out.write("#?", at);
    break_shown = true;
}

void Controller::Impl::stop(std::int64_t now) {
    out.cancel_pending(now);
    typed.clear();
    page_rest.clear();
    interp.stop();
    mode = Mode::Command;
    const std::int64_t at = now + options.reply_delay_ms;
    if (!break_shown) out.write("\r\n", at);
    prompt(at);
}

std::string Controller::Impl::next_page() {
    const std::size_t page =
        options.page_lines > 0 ? static_cast<std::size_t>(options.page_lines) : page_rest.size();
    std::string text;
    for (std::size_t n = 0; n < page && page_next < page_rest.size(); ++n)
        text += page_rest[page_next++] + "\r\n";
    return text;
}

void Controller::Impl::page_key(char c, std::int64_t now) {
    const bool quit = c == 'Q' || c == 'q';
    if (c != ' ' && !quit) return;
    if (quit) {
        // What a slow line has not sent yet goes too: the host asked to stop.
        out.cancel_pending(now);
        out.write("\r\n", now);
    } else {
        // The CR puts the next line over the "?".
        out.write('\r' + next_page(), now);
        if (page_next < page_rest.size()) {
            out.write("?", now);
            return;
        }
    }
    page_rest.clear();
    mode = page_return;
    ready_prompt(mode, now);
    after_listing = true;
}

bool Controller::Impl::listing_stop_key(char c, std::int64_t now) {
    after_listing = false;
    if (c != 'Q' && c != 'q') return false;
    // A host that stops a save sends "q" when it gives up, which may be after
    // the listing ended: that "q" is not the first letter of a command.
    const auto due = out.next_due_ms();
    if (due && *due > now) {
        out.cancel_pending(now);
        out.write("\r\n", now);
        ready_prompt(mode, now);
    }
    return true;
}

void Controller::Impl::feed_byte(char c, std::int64_t now) {
    if (c == kStop) {
        stop(now);
        return;
    }
    if (mode == Mode::Paging) {
        page_key(c, now);
        return;
    }
    if (after_listing && mode != Mode::Running && listing_stop_key(c, now)) return;
    const bool input_wanted = mode == Mode::Running && interp.input_waiting();
    if (mode == Mode::Running && !input_wanted) return;  // a running program ignores the keys
    const bool echo_chars = input_wanted || echo == 1;
    if (c == '\r') {
        if (input_wanted) {
            out.write("\r\n", now);
            interp.provide_input(trim(typed));
            typed.clear();
            program_clock_ms = std::max(program_clock_ms, static_cast<double>(now));
            return;
        }
        end_line(now);
        return;
    }
    if (c == kBackspace || c == kDelete) {
        if (!typed.empty()) {
            typed.pop_back();
            if (echo_chars) out.write("\b \b", now);
        }
        return;
    }
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return;  // LF and other controls
    if (typed.size() >= kMaxLine) return;
    typed += c;
    if (echo_chars) out.write(std::string_view(&c, 1), now);
}

void Controller::Impl::end_line(std::int64_t now) {
    const int echo_at_entry = echo;
    if (echo_at_entry != 2) out.write("\r\n", now);
    const std::string text = trim(typed);
    typed.clear();
    const std::int64_t at = now + options.reply_delay_ms;
    const bool was_active = interp.active();
    const Mode entry_mode = mode;
    Reply reply = mode == Mode::Break ? execute_at_break(text, now) : execute(text, now);
    if (!was_active && interp.active()) {
        program_clock_ms = std::max(program_clock_ms, static_cast<double>(at));
    }
    // Background tasks print on while the reply is delayed: their text goes
    // out between the echo and the reply, as on the device.
    if (was_active && at > now && mode == Mode::Command && reply.after == After::Prompt) {
        run_program(at);
    }
    out.write(reply.text, at);
    switch (reply.after) {
        case After::Prompt:
            if (echo_at_entry == 2) out.write("\r\n", at);
            prompt(at);
            break;
        case After::BreakPrompt:
            ready_prompt(Mode::Break, at);
            break;
        case After::Run:
            mode = Mode::Running;
            break;
        case After::Nothing:
            break;
        case After::Page:
            out.write("?", at);
            page_return = entry_mode;
            mode = Mode::Paging;
            break;
    }
    if (reply.listing && mode != Mode::Paging) after_listing = true;
}

bool Controller::Impl::program_steps() const {
    return mode == Mode::Running || (mode == Mode::Command && interp.active());
}

void Controller::Impl::run_program(std::int64_t now) {
    if (!program_steps()) return;
    const double step_ms = 1.0 / std::max(1, options.statements_per_ms);
    // A caller that polls very late does not make the program race to catch up for long.
    program_clock_ms = std::max(program_clock_ms, static_cast<double>(now) - 1000.0);
    for (int steps = 0; steps < options.max_steps_per_read && program_steps(); ++steps) {
        if (out.backlog() > kBacklogLimit) return;  // the program waits for its output to drain
        // Sleeping tasks move the clock only once they are due: a clock left in
        // the future would hold up a program started before then.
        if (const auto wake = interp.wait_until()) {
            if (*wake > now) return;
            program_clock_ms = std::max(program_clock_ms, static_cast<double>(*wake));
        }
        if (program_clock_ms > static_cast<double>(now)) return;
        if (!interp.runnable(static_cast<std::int64_t>(program_clock_ms))) return;
        const auto at = static_cast<std::int64_t>(program_clock_ms);
        std::string text;
        const Interpreter::StepResult r = interp.step(text, at);
        out.write(text, at);
        program_clock_ms += step_ms;
        switch (r.event) {
            case Interpreter::Event::None:
                break;
            case Interpreter::Event::TaskEnded:
                // Task 1 held the line: its end gives the prompt back while
                // background tasks run on. A trace that ends with its task
                // without task 1 behind it returns to the prompt too.
                if (mode == Mode::Running && !interp.foreground()) {
                    mode = Mode::Command;
                    prompt(at);
                }
                break;
            case Interpreter::Event::Error:
                mode = Mode::Command;
                if (!out.at_line_start()) out.write("\r\n", at);
                out.write(r.message + " in " + std::to_string(r.line) + "\r\n", at);
                prompt(at);
                break;
            case Interpreter::Event::Stopped:
                mode = Mode::Command;
                if (!out.at_line_start()) out.write("\r\n", at);
                out.write("Stop at " + std::to_string(r.line) + "\r\n", at);
                prompt(at);
                break;
            case Interpreter::Event::BreakPoint:
                mode = Mode::Break;
                break_prompt(r.message.empty() ? "Break" : r.message.c_str(), r.line, at);
                break;
        }
    }
}

std::optional<std::int64_t> Controller::Impl::next_due() const {
    std::optional<std::int64_t> due = out.next_due_ms();
    if (!program_steps() || out.backlog() > kBacklogLimit) return due;
    std::optional<std::int64_t> program;
    if (interp.any_running()) {
        program = static_cast<std::int64_t>(std::ceil(program_clock_ms));
    } else if (const auto wake = interp.wait_until()) {
        program = std::max(*wake, static_cast<std::int64_t>(std::ceil(program_clock_ms)));
    }
    if (!due) return program;
    if (!program) return due;
    return std::min(*due, *program);
}

Controller::Controller(Options options) : impl_(std::make_unique<Impl>(std::move(options))) {}

Controller::~Controller() = default;

void Controller::feed(std::string_view bytes, std::int64_t now_ms) {
    impl_->last_now = std::max(impl_->last_now, now_ms);
    for (char c : bytes) {
        if (impl_->out.hung_up()) return;
        impl_->feed_byte(c, now_ms);
    }
}

std::string Controller::read(std::int64_t now_ms) {
    if (impl_->out.hung_up()) return {};
    impl_->last_now = std::max(impl_->last_now, now_ms);
    impl_->run_program(now_ms);
    return impl_->out.take_due(now_ms);
}

std::optional<std::int64_t> Controller::next_due_ms() const {
    if (impl_->out.hung_up()) return std::nullopt;
    return impl_->next_due();
}

bool Controller::hung_up() const {
    return impl_->out.hung_up();
}

void Controller::hang_up() {
    impl_->out.hang_up();
}

std::string Controller::program() const {
    return impl_->store.list(0, 0);
}

namespace {

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines)
        out.append(line).append("\r\n");
    return out;
}

}  // namespace

std::string Controller::point_table() const {
    return joined(impl_->points.list(std::nullopt));
}

std::string Controller::mbk_data() const {
    return joined(impl_->mbk.list(std::nullopt));
}

void Controller::reconnect(const Options& faults) {
    Options& o = impl_->options;
    o.reply_delay_ms = faults.reply_delay_ms;
    o.drop_prompt = faults.drop_prompt;
    o.drop_prompt_every = faults.drop_prompt_every;
    o.garbage_every = faults.garbage_every;
    o.hang_up_after_bytes = faults.hang_up_after_bytes;
    o.seed = faults.seed;
    impl_->out = OutputQueue(o);
    impl_->typed.clear();
}

bool Controller::set_bank(int bank, int value) {
    if (!IoSpace::valid_bank(bank)) return false;
    impl_->io.set(bank, value, impl_->last_now);
    return true;
}

int Controller::bank(int bank) const {
    if (!IoSpace::valid_bank(bank)) return -1;
    return impl_->io.read(bank, impl_->last_now);
}

}  // namespace kvb::sim
