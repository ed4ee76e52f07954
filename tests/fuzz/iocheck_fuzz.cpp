// The IO checker's reading of "PRINT IN(n)" on any replies, each arriving in
// pieces: the window reads the output banks, then polls the input banks until
// a reply is no number or does not come. Every read ends by its "#" or its
// limit, nothing goes out but the reads of the expected banks in order, the
// lamps show exactly the bits of the replies parsed, and the end is told as
// "Data Input Error".
#include "core/iocheck/io_checker.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/reused_link.h"

using qvt::platform::Millis;

namespace {

// The number after the echo's ")" and its line end, as the controller prints
// IN(); nothing when the reply holds none.
std::optional<int> value_of(std::string_view reply) {
    std::string text;
    for (const char c : reply.substr(0, reply.find('#')))
        if (c != '\r') text += c == '\n' ? ' ' : c;
    const auto paren = text.find(')');
    const std::size_t from = paren == std::string::npos ? 1 : paren + 2;
    text = from < text.size() ? text.substr(from, 255) : "";
    text = text.substr(0, text.find_last_not_of(' ') + 1);
    text = text.substr(std::min(text.size(), text.find_first_not_of(' ')));
    const bool sign = !text.empty() && (text[0] == '-' || text[0] == '+');
    if (text.size() == (sign ? 1U : 0U) ||
        text.find_first_not_of("0123456789", sign ? 1U : 0U) != std::string::npos) {
        return std::nullopt;
    }
    std::int64_t v = 0;
    for (const char c : text.substr(sign ? 1U : 0U))
        v = std::min<std::int64_t>(v * 10 + (c - '0'), std::int64_t{1} << 31);
    return static_cast<int>(text[0] == '-' ? -v : v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qvt::fuzz::Input in(data, size);
    const std::uint8_t seed = in.byte();
    const Millis pace = 8 * in.byte();  // ms between pieces
    // Reads first answered with the bank's number: the activation's 48 and a
    // pass of the polling at most, as more would only repeat that pass.
    const std::size_t answered = in.byte() % 52;
    std::vector<std::string_view> replies;  // then one per read, NUL between them
    while (!in.empty() && replies.size() < 64)
        replies.push_back(in.until_nul());

    // Output banks 0-23 and 48-71 once, then input banks 24-26 over and over.
    const auto bank = [](std::size_t k) {
        return k < 24 ? k : k < 48 ? k + 24 : 24 + (k - 48) % 3;
    };
    auto& rig = qvt::fuzz::reused_link();
    // Opened again for each input, as a user opens the window again: the
    // activation starts it afresh.
    static qvt::iocheck::IoChecker checker({rig.state, rig.term, rig.pump, rig.dialogue});
    std::vector<Millis> sent_at;
    std::vector<std::optional<int>> values;  // what each read that ended must give
    Millis took = 0;                         // the last read's time
    rig.term.set_line_responder([&](const std::string& line, Millis now) {
        const std::size_t k = sent_at.size();
        QVT_FUZZ_CHECK(line == "PRINT IN(" + std::to_string(bank(k)) + ")");
        QVT_FUZZ_CHECK(k == 0 || now - sent_at.back() == took + (k == 48 ? 100 : 0));
        sent_at.push_back(now);
        std::string own = line + "\r\n" + std::to_string(bank(k)) + "\r\n#";
        const std::string_view reply = k < answered                    ? std::string_view(own)
                                       : k - answered < replies.size() ? replies[k - answered]
                                                                       : "";
        // The activation's own scroll-bar setup gives the first read the long limit.
        const Millis limit = k == 0 ? 60000 : 2000;
        took = limit + 1;  // the clock beyond the limit
        Millis at = 0;
        for (const auto piece : qvt::fuzz::pieces(reply, seed, k < answered ? 256 : 64)) {
            if (at > limit) break;
            rig.term.deliver_at(now + at, std::string(piece));
            if (piece.find('#') != std::string_view::npos) {
                took = at;
                break;
            }
            at += pace;
        }
        values.push_back(took <= limit ? value_of(reply) : std::nullopt);
    });
    Millis stopped_at = 0;
    checker.show_modal = [&] {
        checker.FormActivate();
        while (checker.open() && !checker.stopped())
            rig.pump.wait_for_event(-1);
        stopped_at = rig.pump.now_ms();
        checker.Button1Click();
    };
    checker.ShowIOCheckerModal();

    QVT_FUZZ_CHECK(!checker.open() && checker.panel6() == "Data Input Error");
    QVT_FUZZ_CHECK(!values.empty() && !values.back() && stopped_at - sent_at.back() == took);
    // Every read before the last gave a number. The lamps: output banks 0-2
    // as first read, input banks as last read.
    std::array<int, 3> out{}, in_banks{};
    for (std::size_t k = 0; k + 1 < values.size(); ++k) {
        QVT_FUZZ_CHECK(values[k].has_value());
        if (k < 3) out[k] = *values[k];
        if (k >= 48) in_banks[bank(k) - 24] = *values[k];
    }
    for (int i = 0; i < qvt::iocheck::kShown; ++i) {
        QVT_FUZZ_CHECK(checker.out_lamp(i) == (((out[i / 8] >> (i % 8)) & 1) != 0));
        QVT_FUZZ_CHECK(checker.in_lamp(i) == (((in_banks[i / 8] >> (i % 8)) & 1) != 0));
    }
    for (int r = 0; r < 3; ++r)
        QVT_FUZZ_CHECK(checker.out_data(r) == (out[r] & 0xFF) &&
                       checker.in_data(r) == (in_banks[r] & 0xFF));
    return 0;
}
