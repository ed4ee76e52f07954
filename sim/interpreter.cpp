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

void Interpreter::execute_direct(const std::string& text, std::string& out) {
    Scanner s(text);
    Context cx{false, true, &out, 0};
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
    if (next != std::string_view::npos) return Pos{pos_.line, next};
    return line_start(store_.next_after(pos_.line));
}

void Interpreter::start(int line) {
    vars_.clear();
    gosub_stack_.clear();
    for_stack_.clear();
    trace_ = false;
    skip_break_ = false;
    pos_ = line_start(store_.first_at_or_after(line));
    state_ = pos_.line < 0 ? State::Idle : State::Running;
}

void Interpreter::stop() {
    if (state_ == State::Running || state_ == State::Waiting || state_ == State::Input) {
        state_ = State::Paused;
    }
}

void Interpreter::invalidate() {
    if (state_ == State::Paused) state_ = State::Idle;
}

void Interpreter::resume() {
    if (state_ != State::Paused) return;
    state_ = State::Running;
    skip_break_ = true;
}

bool Interpreter::runnable(std::int64_t now) const {
    return state_ == State::Running || (state_ == State::Waiting && now >= wait_until_);
}

std::optional<std::int64_t> Interpreter::wait_until() const {
    if (state_ == State::Waiting) return wait_until_;
    return std::nullopt;
}

void Interpreter::provide_input(const std::string& line) {
    if (state_ != State::Input) return;
    state_ = State::Running;
    if (!input_var_.empty() && input_var_.back() == '$') {
        vars_.set(input_var_, Value::of(line));
    } else {
        vars_.set(input_var_, Value::of(std::strtod(line.c_str(), nullptr)));
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

Interpreter::StepResult Interpreter::step(std::string& out, std::int64_t now) {
    if (state_ == State::Waiting && now >= wait_until_) state_ = State::Running;
    if (state_ != State::Running) return {};
    const std::string* text = pos_.line < 0 ? nullptr : store_.find(pos_.line);
    if (text == nullptr) {
        state_ = State::Idle;
        return {Event::Ended, {}, pos_.line};
    }
    const bool is_break_point =
        std::find(break_points_.begin(), break_points_.end(), pos_.line) != break_points_.end();
    if (pos_.offset == 0 && !skip_break_ && is_break_point) {
        state_ = State::Paused;
        return {Event::BreakPoint, {}, pos_.line};
    }
    skip_break_ = false;
    const int line = pos_.line;
    Scanner s(*text, pos_.offset);
    Context cx{false, false, &out, now};
    Flow flow = Flow::Next;
    try {
        flow = exec(s, cx);
    } catch (const SimError& e) {
        state_ = State::Idle;
        return {Event::Error, e.what(), line};
    }
    switch (flow) {
        case Flow::Next:
            pos_ = following(s);
            break;
        case Flow::Jump:
            pos_ = jump_;
            break;
        case Flow::ContinueHere:
            pos_.offset = s.pos();
            break;
        case Flow::End:
            state_ = State::Idle;
            return {Event::Ended, {}, line};
        case Flow::Stop:
            pos_ = following(s);
            state_ = State::Paused;
            return {Event::Stopped, {}, line};
        case Flow::Wait:
            pos_ = following(s);
            state_ = State::Waiting;
            break;
        case Flow::Input:
            pos_ = following(s);
            state_ = State::Input;
            break;
    }
    if (trace_ && state_ != State::Input) {
        trace_ = false;
        state_ = State::Paused;
        if (pos_.line < 0) {
            state_ = State::Idle;
            return {Event::Ended, {}, line};
        }
        return {Event::BreakPoint, "Trace", pos_.line};
    }
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
                           word == "END" || word == "STOP";
    if (flow_word && cx.direct) throw SimError(msg::kIllegalDirect);
    const Variables* vars = cx.check ? nullptr : &vars_;

    if (s.accept_word("REM")) {
        s.set_pos(s.text().size());
        return Flow::Next;
    }
    if (s.accept_word("PRINT")) return exec_print(s, cx, 0);
    if (s.accept_word("PRX")) return exec_print(s, cx, 1);
    if (s.accept_word("PRA")) return exec_print(s, cx, 2);
    if (s.accept_word("IF")) return exec_if(s, cx);
    if (s.accept_word("GOTO")) return exec_jump_target(s, cx);
    if (s.accept_word("GOSUB")) {
        const Flow f = exec_jump_target(s, cx);
        if (cx.check) return f;
        if (gosub_stack_.size() >= kMaxStack) throw SimError(msg::kStackOverflow);
        gosub_stack_.push_back(following(s));
        return f;
    }
    if (s.accept_word("RETURN")) {
        s.expect_statement_end();
        if (cx.check) return Flow::Next;
        if (gosub_stack_.empty()) throw SimError(msg::kReturnWithoutGosub);
        jump_ = gosub_stack_.back();
        gosub_stack_.pop_back();
        return Flow::Jump;
    }
    if (s.accept_word("FOR")) return exec_for(s, cx);
    if (s.accept_word("NEXT")) return exec_next(s, cx);
    if (s.accept_word("WAIT") || s.accept_word("DELAY")) {
        const double ms = Expression(s, vars).parse_number();
        s.expect_statement_end();
        if (cx.check) return Flow::Next;
        wait_until_ = cx.now + static_cast<std::int64_t>(std::max(0.0, ms));
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
    Expression e(s, cx.check ? nullptr : &vars_);
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
    const double cond = Expression(s, cx.check ? nullptr : &vars_).parse_number();
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

Interpreter::Flow Interpreter::exec_jump_target(Scanner& s, Context& cx) {
    if (cx.direct) throw SimError(msg::kIllegalDirect);
    int target = 0;
    if (s.accept('*')) {
        const std::string name = s.identifier();
        s.expect_statement_end();
        if (cx.check) return Flow::Next;
        const auto line = store_.find_label(name);
        if (!line) throw SimError(msg::kUndefinedLabel);
        target = *line;
    } else {
        const double n = s.number();
        s.expect_statement_end();
        if (cx.check) return Flow::Next;
        if (n < 1 || n > ProgramStore::kMaxLine) throw SimError(msg::kUndefinedLine);
        target = static_cast<int>(n);
        if (store_.find(target) == nullptr) throw SimError(msg::kUndefinedLine);
    }
    jump_ = Pos{target, 0};
    return Flow::Jump;
}

Interpreter::Flow Interpreter::exec_assign(Scanner& s, Context& cx, std::string name) {
    s.expect('=');
    Value v = Expression(s, cx.check ? nullptr : &vars_).parse();
    s.expect_statement_end();
    if ((name.back() == '$') != v.is_string) throw SimError(msg::kTypeMismatch);
    if (!cx.check) vars_.set(name, std::move(v));
    return Flow::Next;
}

Interpreter::Flow Interpreter::exec_for(Scanner& s, Context& cx) {
    const Variables* vars = cx.check ? nullptr : &vars_;
    const std::string name = s.identifier();
    if (name.back() == '$') throw SimError(msg::kTypeMismatch);
    s.expect('=');
    const double first = Expression(s, vars).parse_number();
    if (!s.accept_word("TO")) throw SimError(msg::kSyntax);
    const double limit = Expression(s, vars).parse_number();
    double step = 1;
    if (s.accept_word("STEP")) step = Expression(s, vars).parse_number();
    s.expect_statement_end();
    if (cx.check) return Flow::Next;
    vars_.set(name, Value::of(first));
    auto same = std::find_if(for_stack_.begin(), for_stack_.end(),
                             [&](const ForFrame& f) { return f.var == name; });
    for_stack_.erase(same, for_stack_.end());
    if (for_stack_.size() >= kMaxStack) throw SimError(msg::kStackOverflow);
    for_stack_.push_back(ForFrame{name, limit, step, following(s)});
    return Flow::Next;
}

Interpreter::Flow Interpreter::exec_next(Scanner& s, Context& cx) {
    std::string name;
    if (!s.at_statement_end()) name = s.identifier();
    s.expect_statement_end();
    if (cx.check) return Flow::Next;
    if (!name.empty()) {
        while (!for_stack_.empty() && for_stack_.back().var != name)
            for_stack_.pop_back();
    }
    if (for_stack_.empty()) throw SimError(msg::kNextWithoutFor);
    const ForFrame& frame = for_stack_.back();
    const double v = vars_.get(frame.var).number + frame.step;
    vars_.set(frame.var, Value::of(v));
    if (frame.step >= 0 ? v <= frame.limit : v >= frame.limit) {
        jump_ = frame.body;
        return Flow::Jump;
    }
    for_stack_.pop_back();
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
    input_var_ = name;
    return Flow::Input;
}

}  // namespace kvb::sim
