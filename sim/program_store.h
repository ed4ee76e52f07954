// The controller's program area: numbered lines of statement text.
//
// Lines are kept sorted by number (1 to 65535). Storing a line replaces one of
// the same number; storing an empty text deletes it. Each stored line costs
// its text length plus kLineOverhead bytes of the program area; a line that
// would push the total past the area's size is refused with "Program area is
// over flowed" and the area stays as it was. Labels are the statements
// "*NAME:" (or "*NAME" alone) at the start of a line; they are found by
// scanning, so edits never leave a stale label table behind.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>

namespace kvb::sim {

class ProgramStore {
  public:
    static constexpr int kMaxLine = 65535;
    static constexpr std::size_t kLineOverhead = 4;

    explicit ProgramStore(std::size_t area_bytes) : area_bytes_(area_bytes) {}

    // Stores (text not empty) or deletes (text empty) a line. Throws SimError.
    void put(int number, const std::string& text);
    void clear();
    bool empty() const { return lines_.empty(); }
    std::size_t used_bytes() const { return used_; }
    std::size_t line_count() const { return lines_.size(); }

    const std::string* find(int number) const;
    // The first line numbered at or after n.
    std::optional<int> first_at_or_after(int n) const;
    std::optional<int> next_after(int n) const;
    std::optional<int> last() const;
    // The line that declares the label (name upper-cased, without "*").
    std::optional<int> find_label(const std::string& name) const;

    // Lines from `from` on, count of them (0: all), each "number TAB text CR LF".
    std::string list(int from, int count) const;
    // Renumbers step, 2*step, ...; numeric targets of GOTO, GOSUB, THEN, ELSE,
    // RUN and TASK follow. Returns old-to-new numbers. Throws when numbers would exceed kMaxLine.
    std::map<int, int> renumber(int step);

    // The label named at the start of a statement text ("*NAME:" or "*NAME"), upper-cased.
    static std::optional<std::string> label_of(const std::string& text);

  private:
    std::map<int, std::string> lines_;
    std::size_t area_bytes_;
    std::size_t used_ = 0;
};

}  // namespace kvb::sim
