// Command lines: program line entry and the controller's commands.
#include <cstdio>
#include <vector>

#include "sim/controller_impl.h"
#include "sim/scanner.h"

namespace kvb::sim {

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Unsigned decimal arguments separated by blanks or commas; nothing on error.
std::optional<std::vector<long>> numbers(const std::string& args) {
    std::vector<long> result;
    std::size_t i = 0;
    while (i < args.size()) {
        if (args[i] == ' ' || args[i] == '\t' || args[i] == ',') {
            ++i;
            continue;
        }
        if (!is_digit(args[i])) return std::nullopt;
        long v = 0;
        while (i < args.size() && is_digit(args[i])) {
            v = v * 10 + (args[i] - '0');
            if (v > 10000000) return std::nullopt;
            ++i;
        }
        result.push_back(v);
    }
    return result;
}

// The first word of a line (upper-cased) and the rest after it.
std::pair<std::string, std::string> split_word(const std::string& line) {
    Scanner s(line);
    std::string word = s.peek_word();
    std::size_t rest = s.pos() + word.size();
    while (rest < line.size() && (line[rest] == ' ' || line[rest] == '\t'))
        ++rest;
    return {word, line.substr(rest)};
}

}  // namespace

Controller::Impl::Reply Controller::Impl::error_reply(const char* text) {
    return {std::string(text) + "\r\n", After::Prompt};
}

Controller::Impl::Reply Controller::Impl::execute(const std::string& text, std::int64_t now) {
    if (text.empty()) return {};
    const auto [word, args] = split_word(text);
    if (echo == 2) {
        // Load mode: everything but ECHO is a program line, numbered after the last.
        if (word == "ECHO") return command(text, word, args, now);
        return enter_line(text, true);
    }
    if (is_digit(text[0])) return enter_line(text, false);
    return command(text, word, args, now);
}

Controller::Impl::Reply Controller::Impl::execute_at_break(const std::string& text,
                                                           std::int64_t now) {
    const auto [word, args] = split_word(text);
    if (word == "N" || word == "CONT" || word == "T") {
        if (!args.empty()) return {std::string(msg::kSyntax) + "\r\n", After::BreakPrompt};
        interp.resume(word == "T");
        // A trace holds the line until it stops again, even in a background task.
        if (word == "T" || interp.foreground()) return {{}, After::Run};
        mode = Mode::Command;  // only background tasks were stopped: the prompt comes back
        return {};
    }
    if (text.empty()) return {{}, After::BreakPrompt};
    const bool edits = is_digit(text[0]) || word == "NEW" || word == "RENUM" ||
                       (word == "ECHO" && args == "2") || echo == 2;
    if (edits) return {std::string(msg::kCantEdit) + "\r\n", After::BreakPrompt};
    Reply reply = command(text, word, args, now);
    if (reply.after == After::Prompt) reply.after = After::BreakPrompt;
    return reply;
}

Controller::Impl::Reply Controller::Impl::command(const std::string& text, const std::string& word,
                                                  const std::string& args, std::int64_t now) {
    if (word == "VER") {
        if (!args.empty()) return error_reply(msg::kSyntax);
        return {"KVB-68K Motion Controller Simulator  REV-" + options.version + "\r\n"};
    }
    if (word == "NEW") {
        if (!args.empty()) return error_reply(msg::kSyntax);
        store.clear();
        interp.clear_break_points();
        interp.end_all();
        return {};
    }
    if (word == "LIST") return list(args);
    if (word == "RENUM") return renumber(args);
    if (word == "ECHO") {
        if (args.empty()) {
            echo = 1;
        } else if (args == "0" || args == "1" || args == "2") {
            echo = args[0] - '0';
        } else {
            return error_reply(msg::kSyntax);
        }
        return {};
    }
    if (word == "RUN") return run(args, now);
    if (word == "CONT") {
        if (!args.empty()) return error_reply(msg::kSyntax);
        if (!interp.can_continue()) return error_reply(msg::kCantContinue);
        interp.resume();
        if (interp.foreground()) return {{}, After::Run};
        return {};  // background tasks go on behind the prompt
    }
    if (word == "BKP") return break_points(args);
    if (word == "MON") {
        if (!args.empty()) return error_reply(msg::kSyntax);
        return monitor();
    }
    if (word == "HANGUP") {
        out.hang_up();
        return {{}, After::Nothing};
    }
    if (word == "PLS") return data_listing(points, args, true);
    if (word == "S_MBK") return data_listing(mbk, args, false);
    if (word == "NEWP" || word == "NEWM") {
        if (!args.empty()) return error_reply(msg::kSyntax);
        (word == "NEWP" ? points : mbk).clear();
        return {};
    }
    if (DataTable::is_point_line(text)) return data_line(points, text, true);
    if (DataTable::is_mbk_line(text)) return data_line(mbk, text, false);
    Reply reply;
    try {
        interp.execute_direct(text, reply.text, now);
    } catch (const SimError& e) {
        if (!reply.text.empty() && reply.text.back() != '\n') reply.text += "\r\n";
        reply.text += std::string(e.what()) + "\r\n";
    }
    return reply;
}

Controller::Impl::Reply Controller::Impl::enter_line(const std::string& text, bool auto_number) {
    std::size_t i = 0;
    long number = 0;
    if (is_digit(text[0])) {
        while (i < text.size() && is_digit(text[i])) {
            number = number * 10 + (text[i] - '0');
            if (number > ProgramStore::kMaxLine) return error_reply(msg::kLineRange);
            ++i;
        }
    } else if (auto_number) {
        number = store.last().value_or(0) + 1;
    }
    std::size_t start = i;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t'))
        ++start;
    const std::string statement = text.substr(start);
    try {
        if (number < 1) throw SimError(msg::kLineRange);
        if (!statement.empty()) interp.check(statement);
        store.put(static_cast<int>(number), statement);
    } catch (const SimError& e) {
        const std::string what = e.what();
        if (what == msg::kOverflow && echo == 2) return {what + "\r\n", After::Nothing};
        return {what + "\r\n", After::Prompt};
    }
    interp.end_all();
    return {};
}

Controller::Impl::Reply Controller::Impl::list(const std::string& args) const {
    const auto n = numbers(args);
    if (!n || n->size() > 2) return error_reply(msg::kSyntax);
    const long from = n->empty() ? 0 : (*n)[0];
    const long count = n->empty() ? 0 : (n->size() == 2 ? (*n)[1] : 20);
    return {store.list(static_cast<int>(from), static_cast<int>(count))};
}

Controller::Impl::Reply Controller::Impl::renumber(const std::string& args) {
    const auto n = numbers(args);
    if (!n || n->size() > 1 || (n->size() == 1 && (*n)[0] < 1)) return error_reply(msg::kSyntax);
    const int step = n->empty() ? 10 : static_cast<int>((*n)[0]);
    try {
        interp.renumber_break_points(store.renumber(step));
    } catch (const SimError& e) {
        return error_reply(e.what());
    }
    interp.end_all();
    return {};
}

Controller::Impl::Reply Controller::Impl::break_points(const std::string& args) {
    const auto n = numbers(args);
    if (!n || n->size() > 1) return error_reply(msg::kSyntax);
    if (n->empty()) {
        Reply reply;
        int k = 0;
        for (int line : interp.break_points()) {
            char row[48];
            std::snprintf(row, sizeof row, "POINT%d=%6d\r\n", ++k, line);
            reply.text += row;
        }
        return reply;
    }
    if ((*n)[0] == 0) {
        interp.clear_break_points();
        return {};
    }
    if ((*n)[0] > ProgramStore::kMaxLine) return error_reply(msg::kUndefinedLine);
    try {
        interp.set_break_point(static_cast<int>((*n)[0]));
    } catch (const SimError& e) {
        return error_reply(e.what());
    }
    return {};
}

Controller::Impl::Reply Controller::Impl::monitor() const {
    std::string text = "Tasks:";
    for (const auto& task : interp.tasks()) {
        text += "\tTask" + std::to_string(task.number) + "[" + std::to_string(task.line) + "]";
    }
    return {text + "\r\n"};
}

Controller::Impl::Reply Controller::Impl::data_listing(const DataTable& table,
                                                       const std::string& args, bool paged) {
    std::optional<int> only;
    if (!args.empty() && args != "-1") {
        const auto n = numbers(args);
        if (!n || n->size() != 1) return error_reply(msg::kSyntax);
        only = static_cast<int>((*n)[0]);
    }
    page_rest = table.list(only);
    page_next = 0;
    Reply reply;
    reply.listing = true;
    if (!paged || options.page_lines <= 0 ||
        page_rest.size() <= static_cast<std::size_t>(options.page_lines)) {
        for (const auto& line : page_rest)
            reply.text += line + "\r\n";
        page_rest.clear();
        return reply;
    }
    reply.text = next_page();
    reply.after = After::Page;
    return reply;
}

Controller::Impl::Reply Controller::Impl::data_line(DataTable& table, const std::string& text,
                                                    bool point) {
    const auto entry = point ? DataTable::parse_point(text) : DataTable::parse_mbk(text);
    if (!entry) return error_reply(point ? msg::kBadPointLine : msg::kBadMbkLine);
    table.put(*entry, text);
    return {};
}

Controller::Impl::Reply Controller::Impl::run(const std::string& args, std::int64_t) {
    int from = 0;
    if (!args.empty() && args[0] == '*') {
        Scanner s(args);
        s.accept('*');
        std::string name;
        try {
            name = s.identifier();
        } catch (const SimError& e) {
            return error_reply(e.what());
        }
        if (!s.at_end()) return error_reply(msg::kSyntax);
        const auto line = store.find_label(name);
        if (!line) return error_reply(msg::kUndefinedLabel);
        from = *line;
    } else if (!args.empty()) {
        {
            const auto n = numbers(args);
            if (!n || n->size() != 1) return error_reply(msg::kSyntax);
            if ((*n)[0] > ProgramStore::kMaxLine ||
                store.find(static_cast<int>((*n)[0])) == nullptr) {
                return error_reply(msg::kUndefinedLine);
            }
            from = static_cast<int>((*n)[0]);
        }
    }
    interp.start(from);
    if (interp.idle()) return {};  // nothing to run
    return {{}, After::Run};
}

}  // namespace kvb::sim
