#include "sim/program_store.h"

#include <string_view>

#include "sim/scanner.h"
#include "sim/value.h"

namespace kvb::sim {

void ProgramStore::put(int number, const std::string& text) {
    if (number < 1 || number > kMaxLine) throw SimError(msg::kLineRange);
    auto it = lines_.find(number);
    const std::size_t old_cost = it == lines_.end() ? 0 : it->second.size() + kLineOverhead;
    if (text.empty()) {
        if (it != lines_.end()) {
            used_ -= old_cost;
            lines_.erase(it);
        }
        return;
    }
    const std::size_t new_cost = text.size() + kLineOverhead;
    if (used_ - old_cost + new_cost > area_bytes_) throw SimError(msg::kOverflow);
    used_ = used_ - old_cost + new_cost;
    lines_[number] = text;
}

void ProgramStore::clear() {
    lines_.clear();
    used_ = 0;
}

const std::string* ProgramStore::find(int number) const {
    auto it = lines_.find(number);
    return it == lines_.end() ? nullptr : &it->second;
}

std::optional<int> ProgramStore::first_at_or_after(int n) const {
    auto it = lines_.lower_bound(n);
    if (it == lines_.end()) return std::nullopt;
    return it->first;
}

std::optional<int> ProgramStore::next_after(int n) const {
    auto it = lines_.upper_bound(n);
    if (it == lines_.end()) return std::nullopt;
    return it->first;
}

std::optional<int> ProgramStore::last() const {
    if (lines_.empty()) return std::nullopt;
    return lines_.rbegin()->first;
}

std::optional<std::string> ProgramStore::label_of(const std::string& text) {
    std::size_t p = 0;
    while (p < text.size() && (text[p] == ' ' || text[p] == '\t'))
        ++p;
    if (p >= text.size() || text[p] != '*') return std::nullopt;
    const std::size_t start = ++p;
    while (p < text.size() && is_word_char(text[p]))
        ++p;
    if (p == start) return std::nullopt;
    return upper(std::string_view(text).substr(start, p - start));
}

std::optional<int> ProgramStore::find_label(const std::string& name) const {
    for (const auto& [number, text] : lines_) {
        if (label_of(text) == name) return number;
    }
    return std::nullopt;
}

std::string ProgramStore::list(int from, int count) const {
    std::string out;
    int listed = 0;
    for (auto it = lines_.lower_bound(from); it != lines_.end(); ++it) {
        if (count > 0 && listed == count) break;
        out += std::to_string(it->first);
        out += '\t';
        out += it->second;
        out += "\r\n";
        ++listed;
    }
    return out;
}

namespace {

// Rewrites the line numbers that follow GOTO, GOSUB, THEN, ELSE and RUN, and
// the target after "TASK n," (not the task number itself).
std::string retarget(const std::string& text, const std::map<int, int>& renamed) {
    std::string out;
    std::size_t i = 0;
    bool after_jump_word = false;
    int task_state = 0;  // 1: after TASK, 2: after its task number
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"') {
            const std::size_t close = text.find('"', i + 1);
            const std::size_t end = close == std::string::npos ? text.size() : close + 1;
            out.append(text, i, end - i);
            i = end;
            after_jump_word = false;
            task_state = 0;
        } else if (c == '\'') {
            out.append(text, i, std::string::npos);
            break;
        } else if (is_word_char(c) && !(c >= '0' && c <= '9')) {
            std::size_t end = i;
            while (end < text.size() && is_word_char(text[end]))
                ++end;
            const std::string word = upper(std::string_view(text).substr(i, end - i));
            after_jump_word = word == "GOTO" || word == "GOSUB" || word == "THEN" ||
                              word == "ELSE" || word == "RUN";
            task_state = word == "TASK" ? 1 : 0;
            out.append(text, i, end - i);
            i = end;
        } else if (c >= '0' && c <= '9') {
            std::size_t end = i;
            while (end < text.size() && text[end] >= '0' && text[end] <= '9')
                ++end;
            const std::string digits = text.substr(i, end - i);
            if (after_jump_word && digits.size() <= 5) {
                auto it = renamed.find(std::stoi(digits));
                out += it == renamed.end() ? digits : std::to_string(it->second);
            } else {
                out += digits;
            }
            i = end;
            after_jump_word = false;
            task_state = task_state == 1 ? 2 : 0;
        } else {
            if (c == ',' && task_state == 2) {
                after_jump_word = true;
            } else if (c != ' ' && c != '\t') {
                after_jump_word = false;
            }
            if (c != ' ' && c != '\t') task_state = 0;
            out += c;
            ++i;
        }
    }
    return out;
}

}  // namespace

std::map<int, int> ProgramStore::renumber(int step) {
    if (step < 1) throw SimError(msg::kSyntax);
    if (static_cast<long long>(step) * static_cast<long long>(lines_.size()) > kMaxLine) {
        throw SimError(msg::kLineRange);
    }
    std::map<int, int> renamed;
    int next = step;
    for (const auto& entry : lines_) {
        renamed[entry.first] = next;
        next += step;
    }
    std::map<int, std::string> result;
    std::size_t used = 0;
    for (const auto& [number, text] : lines_) {
        std::string moved = retarget(text, renamed);
        used += moved.size() + kLineOverhead;
        result[renamed[number]] = std::move(moved);
    }
    lines_ = std::move(result);
    used_ = used;
    return renamed;
}

}  // namespace kvb::sim
