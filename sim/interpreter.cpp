#include "sim/interpreter.h"

#include <algorithm>
#include <cstdlib>

#include "sim/expression.h"

namespace kvb::sim {

namespace {

constexpr std::size_t kMaxStack = 64;

std::string render(const Value& v, int form) {
    if (form == 1) {  // PRX: hexadecimal
        if (!v.is_string) return format_hex(v.number);
        static constexpr char kDigits[] = "0123456789ABCDEF";
        std::string r;
        for (unsigned char c : v.text) {
            r += kDigits[c >> 4];
            r += kDigits[c & 15];
        }
        return r;
    }
    if (form == 2) {  // PRA: as characters
        if (v.is_string) return v.text;
        const auto c = static_cast<unsigned char>(to_int32(v.number) & 0xFF);
        return std::string(1, (c < 0x20 || c == 0x7F) ? '.' : static_cast<char>(c));
    }
    return v.is_string ? v.text : format_number(v.number);
}

// Position just after the first ELSE that stands outside strings and comments.
std::size_t find_else(std::string_view text, std::size_t from) {
    std::size_t i = from;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"') {
            const std::size_t close = text.find('"', i + 1);
            if (close == std::string_view::npos) return std::string_view::npos;
            i = close + 1;
        } else if (c == '\'') {
            return std::string_view::npos;
        } else if (is_word_char(c)) {
            std::size_t end = i;
            while (end < text.size() && is_word_char(text[end]))
                ++end;
            if (upper(text.substr(i, end - i)) == "ELSE") return end;
            i = end;
        } else {
            ++i;
        }
    }
    return std::string_view::npos;
}

}  // namespace

Expression Interpreter::expr(Scanner& s, const Context& cx) const {
    if (cx.check) return Expression(s, nullptr);
    return Expression(s, &vars_, &io_, cx.now);
}

void Interpreter::check(const std::string& text) {
    Scanner s(text);
    std::string scratch;
    Context cx{true, false, &scratch, 0};
    for (;;) {
        const Flow f = exec(s, cx);
        if (f == Flow::ContinueHere) continue;
        if (s.accept_word("ELSE")) continue;
        const std::size_t next = s.next_statement();
        if (next == std::string_view::npos) {
            if (!s.at_end() && s.peek() != '\'') throw SimError(msg::kSyntax);
            return;
        }
        s.set_pos(next);
    }
}

void Interpreter::execute_direct(const std::string& text, std::string& out, std::int64_t now) {
    Scanner s(text);
    Context cx{false, true, &out, now};
    for (;;) {
        if (exec(s, cx) == Flow::ContinueHere) continue;
        const std::size_t next = s.next_statement();
        if (next == std::string_view::npos) return;
        s.set_pos(next);
    }
}

Interpreter::Pos Interpreter::line_start(std::optional<int> line) const {
    return line ? Pos{*line, 0} : Pos{};
}

Interpreter::Pos Interpreter::following(const Scanner& s) const {
    Scanner copy = s;
    const std::size_t next = copy.next_statement();
    const int line = task_->pos.line;
    if (next != std::string_view::npos) return Pos{line, next};
    return line_start(store_.next_after(line));
}

void Interpreter::start(int line) {
    vars_.clear();
    end_all();
    last_stepped_ = 0;
    const Pos first = line_start(store_.first_at_or_after(line));
    if (first.line < 0) return;
    Task& t = tasks_[1];
    t.pos = first;
    t.shown_line = first.line;
}

void Interpreter::stop() {
    if (tasks_.empty() || paused_) return;
    paused_ = true;
    stopped_task_ = 0;
    trace_task_ = 0;
}

void Interpreter::end_all() {
    tasks_.clear();
    paused_ = false;
    stopped_task_ = 0;
    trace_task_ = 0;
}

void Interpreter::resume(bool trace) {
    if (!can_continue()) return;
    paused_ = false;
    for (auto& entry : tasks_)
        entry.second.steps_since_resume = 0;
    const auto stopped = tasks_.find(stopped_task_);
    if (stopped != tasks_.end()) stopped->second.skip_break = true;
    trace_task_ = trace && stopped != tasks_.end() ? stopped_task_ : 0;
    stopped_task_ = 0;
}

bool Interpreter::runnable(std::int64_t now) const {
    if (paused_) return false;
    for (const auto& [number, t] : tasks_) {
        if (t.state == TaskState::Running ||
            (t.state == TaskState::Waiting && now >= t.wait_until)) {
            return true;
        }
    }
    return false;
}

bool Interpreter::any_running() const {
    if (paused_) return false;
    for (const auto& entry : tasks_) {
        if (entry.second.state == TaskState::Running) return true;
    }
    return false;
}

bool Interpreter::input_waiting() const {
    if (paused_) return false;
    for (const auto& entry : tasks_) {
        if (entry.second.state == TaskState::Input) return true;
    }
    return false;
}

std::optional<std::int64_t> Interpreter::wait_until() const {
    if (paused_ || any_running()) return std::nullopt;
    std::optional<std::int64_t> earliest;
    for (const auto& entry : tasks_) {
        const Task& t = entry.second;
        if (t.state == TaskState::Waiting && (!earliest || t.wait_until < *earliest)) {
            earliest = t.wait_until;
        }
    }
    return earliest;
}

std::vector<Interpreter::TaskInfo> Interpreter::tasks() const {
    std::vector<TaskInfo> out;
    for (const auto& [number, t] : tasks_)
        out.push_back(TaskInfo{number, t.shown_line});
    return out;
}

void Interpreter::provide_input(const std::string& line) {
    for (auto& entry : tasks_) {
        Task& t = entry.second;
        if (t.state != TaskState::Input) continue;
        t.state = TaskState::Running;
        if (!t.input_var.empty() && t.input_var.back() == '$') {
            vars_.set(t.input_var, Value::of(line));
        } else {
            vars_.set(t.input_var, Value::of(std::strtod(line.c_str(), nullptr)));
        }
        return;
    }
}

void Interpreter::set_break_point(int line) {
    if (store_.find(line) == nullptr) throw SimError(msg::kUndefinedLine);
    if (std::find(break_points_.begin(), break_points_.end(), line) != break_points_.end()) return;
    if (break_points_.size() >= kMaxBreakPoints) throw SimError(msg::kTooManyBreakPoints);
    break_points_.push_back(line);
}

void Interpreter::renumber_break_points(const std::map<int, int>& renamed) {
    for (int& line : break_points_) {
        auto it = renamed.find(line);
        if (it != renamed.end()) line = it->second;
    }
}

std::map<int, Interpreter::Task>::iterator Interpreter::next_task(std::int64_t now) {
    const auto is_ready = [now](const Task& t) {
        return t.state == TaskState::Running ||
               (t.state == TaskState::Waiting && now >= t.wait_until);
    };
    for (auto it = tasks_.upper_bound(last_stepped_); it != tasks_.end(); ++it) {
        if (is_ready(it->second)) return it;
    }
    for (auto it = tasks_.begin(); it != tasks_.end() && it->first <= last_stepped_; ++it) {
        if (is_ready(it->second)) return it;
    }
    return tasks_.end();
}

Interpreter::StepResult Interpreter::step(std::string& out, std::int64_t now) {
    if (paused_) return {};
    const auto it = next_task(now);
    if (it == tasks_.end()) return {};
    const int number = it->first;
    Task& t = it->second;
    last_stepped_ = number;
    t.state = TaskState::Running;
    const int line = t.pos.line;
    const auto ended = [&] {
        // Erasing the task invalidates t: nothing may touch it afterwards.
        if (trace_task_ == number) trace_task_ = 0;
        tasks_.erase(number);
        return StepResult{Event::TaskEnded, {}, line};
    };
    const std::string* text = line < 0 ? nullptr : store_.find(line);
    if (text == nullptr) return ended();
    if (t.pos.offset == 0) {
        const bool traced = trace_task_ == number && t.steps_since_resume > 0;
        const bool at_break_point =
            !t.skip_break &&
            std::find(break_points_.begin(), break_points_.end(), line) != break_points_.end();
        if (traced || at_break_point) {
            paused_ = true;
            stopped_task_ = number;
            trace_task_ = 0;
            t.shown_line = line;
            return {Event::BreakPoint, traced ? "Trace" : "", line};
        }
    }
    t.skip_break = false;
    ++t.steps_since_resume;
    t.shown_line = line;
    task_ = &t;
    task_number_ = number;
    Scanner s(*text, t.pos.offset);
    Context cx{false, false, &out, now};
    Flow flow = Flow::Next;
    try {
        flow = exec(s, cx);
    } catch (const SimError& e) {
        task_ = nullptr;
        end_all();
        return {Event::Error, e.what(), line};
    }
    switch (flow) {
        case Flow::Next:
            t.pos = following(s);
            break;
        case Flow::Jump:
            t.pos = jump_;
            break;
        case Flow::ContinueHere:
            t.pos.offset = s.pos();
            break;
        case Flow::End:
            task_ = nullptr;
            return ended();
        case Flow::Stop:
            t.pos = following(s);
            task_ = nullptr;
            if (t.pos.line >= 0) t.shown_line = t.pos.line;
            paused_ = true;
            stopped_task_ = 0;
            trace_task_ = 0;
            return {Event::Stopped, {}, line};
        case Flow::Wait:
            t.pos = following(s);
            t.state = TaskState::Waiting;
            break;
        case Flow::Input:
            t.pos = following(s);
            t.state = TaskState::Input;
            break;
    }
    task_ = nullptr;
    if (t.pos.line < 0 && t.state == TaskState::Running) return ended();
    if (t.state == TaskState::Running) t.shown_line = t.pos.line;
    return {};
}

Interpreter::Flow Interpreter::exec(Scanner& s, Context& cx) {
    if (s.at_statement_end()) {
        if (s.peek() == '\'') s.set_pos(s.text().size());
        if (s.peek_word() == "ELSE" && !cx.check) s.set_pos(s.text().size());
        return Flow::Next;
    }
    if (s.accept('*')) {  // label
        s.identifier();
        if (cx.direct) throw SimError(msg::kSyntax);
        s.expect_statement_end();
        return Flow::Next;
    }
    const std::string word = s.peek_word();
    if (word.empty()) throw SimError(msg::kSyntax);
    const bool flow_word = word == "GOTO" || word == "GOSUB" || word == "RETURN" || word == "FOR" ||
                           word == "NEXT" || word == "WAIT" || word == "DELAY" || word == "INPUT" ||
                           word == "END" || word == "STOP" || word == "TASK";
    if (flow_word && cx.direct) throw SimError(msg::kIllegalDirect);

    if (s.accept_word("REM")) {
        s.set_pos(s.text().size());
        return Flow::Next;
    }
    if (s.accept_word("PRINT")) return exec_print(s, cx, 0);
    if (s.accept_word("PRX")) return exec_print(s, cx, 1);
    if (s.accept_word("PRA")) return exec_print(s, cx, 2);
    if (word == "ON" || word == "OFF") {
        s.accept_word(word);
        const double point = expr(s, cx).parse_number();
        s.expect_statement_end();
        if (!cx.check) io_.switch_point(to_int32(point), word == "ON", cx.now);
        return Flow::Next;
    }
    if (s.accept_word("CLR_OUTP")) {
        const double mask = expr(s, cx).parse_number();
        s.expect_statement_end();
        if (!cx.check) io_.clear(to_int32(mask), cx.now);
        return Flow::Next;
    }
    if (s.accept_word("IF")) return exec_if(s, cx);
    if (s.accept_word("GOTO")) return exec_jump_target(s, cx);
    if (s.accept_word("GOSUB")) {
        const Flow f = exec_jump_target(s, cx);
        if (cx.check) return f;
        if (task_->gosub_stack.size() >= kMaxStack) throw SimError(msg::kStackOverflow);
        task_->gosub_stack.push_back(following(s));
        return f;
    }
    if (s.accept_word("RETURN")) {
        s.expect_statement_end();
        if (cx.check) return Flow::Next;
        if (task_->gosub_stack.empty()) throw SimError(msg::kReturnWithoutGosub);
        jump_ = task_->gosub_stack.back();
        task_->gosub_stack.pop_back();
        return Flow::Jump;
    }
    if (s.accept_word("FOR")) return exec_for(s, cx);
    if (s.accept_word("NEXT")) return exec_next(s, cx);
    if (s.accept_word("TASK")) return exec_task(s, cx);
    if (s.accept_word("WAIT") || s.accept_word("DELAY")) {
        const double ms = expr(s, cx).parse_number();
        s.expect_statement_end();
        if (cx.check) return Flow::Next;
        // Longer than any session is for ever; a double beyond what int64
        // holds may not be converted at all (WAIT 1E30).
        constexpr double kLongestWaitMs = 1e15;
        task_->wait_until =
            cx.now + static_cast<std::int64_t>(std::max(0.0, std::min(ms, kLongestWaitMs)));
        return Flow::Wait;
    }
    if (s.accept_word("INPUT")) return exec_input(s, cx);
    if (s.accept_word("END")) {
        s.expect_statement_end();
        return cx.check ? Flow::Next : Flow::End;
    }
    if (s.accept_word("STOP")) {
        s.expect_statement_end();
        return cx.check ? Flow::Next : Flow::Stop;
    }
    s.accept_word("LET");
    std::string name = s.identifier();
    const std::string base = name.back() == '$' ? name.substr(0, name.size() - 1) : name;
    if (is_reserved_word(base)) throw SimError(msg::kSyntax);
    return exec_assign(s, cx, std::move(name));
}

Interpreter::Flow Interpreter::exec_print(Scanner& s, Context& cx, int form) {
    Expression e = expr(s, cx);
    std::string text;
    bool newline = true;
    while (!s.at_statement_end()) {
        text += render(e.parse(), form);
        newline = true;
        if (s.accept(';')) {
            newline = false;
        } else if (s.accept(',')) {
            text += '\t';
            newline = false;
        } else {
            break;
        }
    }
    s.expect_statement_end();
    if (!cx.check) {
        *cx.out += text;
        if (newline) *cx.out += "\r\n";
    }
    return Flow::Next;
}

Interpreter::Flow Interpreter::exec_if(Scanner& s, Context& cx) {
    const double cond = expr(s, cx).parse_number();
    const bool then_goto = s.peek_word() == "GOTO";
    if (!then_goto && !s.accept_word("THEN")) throw SimError(msg::kSyntax);
    const bool target_form = s.at_number() || s.peek() == '*';
    if (cx.check) {
        if (!target_form) return Flow::ContinueHere;
        s.accept('*') ? static_cast<void>(s.identifier()) : static_cast<void>(s.number());
        if (!s.accept_word("ELSE")) {
            s.expect_statement_end();
            return Flow::Next;
        }
        if (!s.at_number() && s.peek() != '*') return Flow::ContinueHere;
        s.accept('*') ? static_cast<void>(s.identifier()) : static_cast<void>(s.number());
        s.expect_statement_end();
        return Flow::Next;
    }
    if (cond != 0) {
        if (target_form) return exec_jump_target(s, cx);
        return Flow::ContinueHere;
    }
    const std::size_t after_else = find_else(s.text(), s.pos());
    if (after_else == std::string_view::npos) {
        s.set_pos(s.text().size());
        return Flow::Next;
    }
    s.set_pos(after_else);
    if (s.at_number() || s.peek() == '*') return exec_jump_target(s, cx);
    return Flow::ContinueHere;
}

std::optional<Interpreter::Pos> Interpreter::target(Scanner& s, Context& cx) {
    if (s.accept('*')) {
        const std::string name = s.identifier();
        if (cx.check) return std::nullopt;
        const auto line = store_.find_label(name);
        if (!line) throw SimError(msg::kUndefinedLabel);
        return Pos{*line, 0};
    }
    const double n = s.number();
    if (cx.check) return std::nullopt;
    if (n < 1 || n > ProgramStore::kMaxLine) throw SimError(msg::kUndefinedLine);
    const int line = static_cast<int>(n);
    if (store_.find(line) == nullptr) throw SimError(msg::kUndefinedLine);
    return Pos{line, 0};
}

Interpreter::Flow Interpreter::exec_jump_target(Scanner& s, Context& cx) {
    if (cx.direct) throw SimError(msg::kIllegalDirect);
    const auto where = target(s, cx);
    s.expect_statement_end();
    if (cx.check) return Flow::Next;
    jump_ = *where;
    return Flow::Jump;
}

Interpreter::Flow Interpreter::exec_task(Scanner& s, Context& cx) {
    // The task number is a literal so that RENUM can tell it from the target after the comma.
    s.skip_blanks();
    if (s.pos() >= s.text().size() || s.text()[s.pos()] < '0' || s.text()[s.pos()] > '9') {
        throw SimError(msg::kSyntax);
    }
    const double n = s.number();
    s.expect(',');
    const auto where = target(s, cx);
    s.expect_statement_end();
    if (cx.check) return Flow::Next;
    const int number = static_cast<int>(n);
    if (n != number || number < 2 || number > kMaxTasks) throw SimError(msg::kIllegalFunction);
    if (number == task_number_) {  // a task restarting itself
        task_->gosub_stack.clear();
        task_->for_stack.clear();
        jump_ = *where;
        return Flow::Jump;
    }
    Task& t = tasks_[number];
    t = Task{};
    t.pos = *where;
    t.shown_line = where->line;
    return Flow::Next;
}

Interpreter::Flow Interpreter::exec_assign(Scanner& s, Context& cx, std::string name) {
    s.expect('=');
    Value v = expr(s, cx).parse();
    s.expect_statement_end();
    if ((name.back() == '$') != v.is_string) throw SimError(msg::kTypeMismatch);
    if (!cx.check) vars_.set(name, std::move(v));
    return Flow::Next;
}

Interpreter::Flow Interpreter::exec_for(Scanner& s, Context& cx) {
    const std::string name = s.identifier();
    if (name.back() == '$') throw SimError(msg::kTypeMismatch);
    s.expect('=');
    const double first = expr(s, cx).parse_number();
    if (!s.accept_word("TO")) throw SimError(msg::kSyntax);
    const double limit = expr(s, cx).parse_number();
    double step = 1;
    if (s.accept_word("STEP")) step = expr(s, cx).parse_number();
    s.expect_statement_end();
    if (cx.check) return Flow::Next;
    vars_.set(name, Value::of(first));
    auto& stack = task_->for_stack;
    auto same =
        std::find_if(stack.begin(), stack.end(), [&](const ForFrame& f) { return f.var == name; });
    stack.erase(same, stack.end());
    if (stack.size() >= kMaxStack) throw SimError(msg::kStackOverflow);
    stack.push_back(ForFrame{name, limit, step, following(s)});
    return Flow::Next;
}

Interpreter::Flow Interpreter::exec_next(Scanner& s, Context& cx) {
    std::string name;
    if (!s.at_statement_end()) name = s.identifier();
    s.expect_statement_end();
    if (cx.check) return Flow::Next;
    auto& stack = task_->for_stack;
    if (!name.empty()) {
        while (!stack.empty() && stack.back().var != name)
            stack.pop_back();
    }
    if (stack.empty()) throw SimError(msg::kNextWithoutFor);
    const ForFrame& frame = stack.back();
    const double v = vars_.get(frame.var).number + frame.step;
    vars_.set(frame.var, Value::of(v));
    if (frame.step >= 0 ? v <= frame.limit : v >= frame.limit) {
        jump_ = frame.body;
        return Flow::Jump;
    }
    stack.pop_back();
    return Flow::Next;
}

Interpreter::Flow Interpreter::exec_input(Scanner& s, Context& cx) {
    std::string prompt = "? ";
    if (s.peek() == '"') {
        prompt = s.quoted();
        if (!s.accept(';')) s.expect(',');
    }
    const std::string name = s.identifier();
    s.expect_statement_end();
    if (cx.check) return Flow::Next;
    *cx.out += prompt;
    task_->input_var = name;
    return Flow::Input;
}

}  // namespace kvb::sim
