// The break-point window's reading of the controller's list on any replies,
// each arriving in pieces: every read ends by its "#" or its limit and sends
// only "BKP"; the rows are filled only from a reply read twice alike, each
// what row_of_reply_line makes of its line; replies that never agree end in
// the message after six pairs; transfer_mode is free again afterwards.
#include "core/console/line_parse.h"
#include "core/console/main_shell.h"
#include "core/debug/break_points.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/reused_link.h"

namespace debug = qvt::debug;
using qvt::platform::Millis;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qvt::fuzz::Input in(data, size);
    const std::uint8_t seed = in.byte();
    const Millis pace = in.byte();          // ms between pieces
    std::vector<std::string_view> replies;  // one per "BKP", NUL between them
    while (!in.empty() && replies.size() < 14)
        replies.push_back(in.until_nul());

    auto& rig = qvt::fuzz::reused_link();
    static qvt::console::MainShell shell(rig.state, rig.term, rig.pump, rig.dialogs);
    debug::BreakPoints bp({rig.state, rig.term, rig.dialogue, rig.dialogs, shell});

    // A reply arrives up to its "#", within the limit: later bytes would only
    // be dropped after the read, or reach the next one as program output does.
    const auto arriving = [&](std::string_view reply) {
        std::vector<std::string_view> out;
        for (const auto piece : qvt::fuzz::pieces(reply, seed)) {
            if (static_cast<Millis>(out.size()) * pace >= 2000) break;
            out.push_back(piece);
            if (piece.find('#') != std::string_view::npos) break;
        }
        return out;
    };
    // What each read must give: the text up to "#" without "?", trimmed, once
    // the "#" came; and how long it takes, with the 100 ms that follow.
    std::vector<std::pair<std::string, Millis>> expected;
    for (const auto reply : replies) {
        const auto got = arriving(reply);
        const bool complete = !got.empty() && got.back().find('#') != std::string_view::npos;
        std::string text;
        for (const char c : reply.substr(0, complete ? reply.find('#') : 0))
            if (c != '?') text += c;
        const Millis took = complete ? pace * static_cast<Millis>(got.size() - 1) : 2000;
        expected.emplace_back(qvt::console::trim_blanks(text), took + 100);
    }
    std::size_t sent = 0;
    rig.term.set_line_responder([&](const std::string& line, Millis now) {
        QVT_FUZZ_CHECK(line == "BKP");
        for (const auto piece : arriving(sent < replies.size() ? replies[sent] : "")) {
            rig.term.deliver_at(now, std::string(piece));
            now += pace;
        }
        ++sent;
    });
    const Millis start = rig.pump.now_ms();
    bp.FormShow();

    // The first read decides whether the list is read at all; then pairs.
    std::size_t reads = 0;
    Millis elapsed = 0;
    const auto read = [&] {
        const std::size_t k = reads++;
        elapsed += k < expected.size() ? expected[k].second : 2100;
        return k < expected.size() ? expected[k].first : std::string();
    };
    std::string message, memo = read();
    bool filled = false;
    if (memo.empty()) message = debug::kNoCurrentAtShow;
    for (int disagreed = 0;
         memo.find("POINT") != std::string::npos && !filled && message.empty();) {
        const std::string first = read();
        if (first.empty()) {
            message = debug::kNoCurrent;
        } else if ((filled = first == read())) {
            memo = first;
        } else if (++disagreed == 6) {
            message = debug::kRepliesDisagree;
        }
    }
    QVT_FUZZ_CHECK(rig.pump.now_ms() - start == elapsed);
    QVT_FUZZ_CHECK(sent == reads && rig.term.sent().size() == 4 * sent);
    QVT_FUZZ_CHECK(rig.state.transfer_mode == 0);
    QVT_FUZZ_CHECK(rig.dialogs.last_text() == message && bp.memo() == memo);
    // Line 0 of the list is the echo; lines 1 to 8 fill the rows. CR, LF and
    // CR LF each end a line.
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < memo.size(); ++i) {
        if (memo[i] == '\r' && i + 1 < memo.size() && memo[i + 1] == '\n') continue;
        if (memo[i] == '\r' || memo[i] == '\n') lines.emplace_back();
        if (memo[i] != '\r' && memo[i] != '\n') lines.back() += memo[i];
    }
    for (std::size_t k = 0; k < debug::kBreakRows; ++k) {
        const auto& row = bp.rows()[k];
        const std::string want =
            filled && k + 1 < lines.size() ? debug::row_of_reply_line(lines[k + 1]) : "";
        QVT_FUZZ_CHECK(row.text == want && row.confirmed == !want.empty());
        QVT_FUZZ_CHECK(row.text.size() <= 6 &&
                       row.text.find_first_of("\r\n#?") == std::string::npos);
    }
    return 0;
}
