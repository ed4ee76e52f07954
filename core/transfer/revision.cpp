#include "core/transfer/revision.h"

#include "core/transfer/qfile.h"

namespace qvt::transfer {

int revision_from_reply(std::string_view collected) {
    const std::string upper = upper_ascii(collected);
    const auto at = upper.find("REV-");
    // Without the marker the text is read from its 4th byte on (the position
    // after where "REV-" would have ended had it stood at the start).
    const std::size_t from = at == std::string::npos ? 3 : at + 4;
    if (from >= upper.size()) return 0;
    const std::string_view field = std::string_view(upper).substr(from, 10);
    std::size_t i = 0;
    while (i < field.size() && field[i] == ' ')
        ++i;
    int value = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
        if (value > 100000000) break;
        value = value * 10 + (field[i] - '0');
    }
    return value;
}

int query_revision(link::SharedState& state, platform::TerminalControl& term,
                   platform::EventPump& pump, link::Dialogue& dialogue) {
    state.transfer_mode = 1;
    term.set_InBufferCount(0);
    term.set_OutBufferCount(0);
    term.set_Output("VER\r");
    dialogue.CommOutBufferWiatZero();
    std::string collected;
    bool after_cr = false;
    bool after_lf = false;
    bool done = false;
    while (!done) {
        const std::string data = term.Input();
        if (data.empty()) {
            pump.wait_for_event(-1);
            continue;
        }
        for (const char c : data) {
            if (done) break;
            if (c == '\n') {
                after_lf = true;
                after_cr = false;
            } else if (c == '\r') {
                after_cr = true;
                after_lf = false;
            } else if (c == '#' && (after_cr || after_lf)) {
                done = true;
            } else if (c != '.') {
                collected += c;
                after_cr = after_lf = false;
            }
            pump.process_pending();
        }
    }
    state.transfer_mode = 0;
    return revision_from_reply(collected);
}

}  // namespace qvt::transfer
