// The point table and the MBK (memory bank) data: lines kept as they were entered.
//
// Both are filled by the host line by line and listed back the same way, so
// that a listing saved to a file and sent back rebuilds the same data and the
// next listing is identical byte for byte. Each kind of line is checked for
// its form when entered, is stored verbatim under its number (replacing one
// of the same number) and listed in number order. A line that holds no data
// (a point at 0 0 0 0, an empty bank) removes its entry instead: the host's
// load skips such lines, so listing them would break the round trip.
//
// Point line: "PNT n x y z w": six fields separated by blanks, the word PNT
// (any case), the point number 1-9999, four signed 32-bit decimal integers.
// MBK line:   "MBbbb count data": "MB" (any case) and the bank number in three
// digits (000-999), blanks, the byte count in decimal, and for a count above
// 0 one blank and exactly that many bytes of text; "#" is not allowed in the
// text, because the host's save drops it ("?" is fine).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kvb::sim {

class DataTable {
  public:
    // Where a well-formed line goes; nothing for a malformed one.
    struct Entry {
        int number;
        bool empty;  // the line removes the entry
    };
    static std::optional<Entry> parse_point(const std::string& line);
    static std::optional<Entry> parse_mbk(const std::string& line);
    // "PNT" or "MBbbb" followed by a blank or the end: the line is meant as data.
    static bool is_point_line(const std::string& line);
    static bool is_mbk_line(const std::string& line);

    void put(const Entry& entry, const std::string& line);
    void clear() { lines_.clear(); }
    // All lines in number order, or only the one numbered `only`.
    std::vector<std::string> list(std::optional<int> only) const;

  private:
    std::map<int, std::string> lines_;
};

}  // namespace kvb::sim
