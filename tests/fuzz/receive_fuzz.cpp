// The main window's receive processing and the request field. Any reply in
// any pieces gives the same text to show and the same parser state as the
// whole, and the shown text keeps the screen sound. Requests: exactly the
// well-formed ones reach the program, each once, in order.
#include "core/link/request_field.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/support/link_rig.h"

namespace {

class Hooks : public qvt::link::RequestHooks {
  public:
    explicit Hooks(qvt::platform::TerminalControl& term) : term_(term) {}
    void Load68k() override { done.push_back("load " + file); }
    void CommKeyDown(int& key, qvt::platform::ShiftState) override {
        QVT_FUZZ_CHECK(key == 13);
        // The typed line is the cursor's row of the screen.
        const std::string text = term_.Text();
        std::size_t start = 0;
        for (int row = 1; row < term_.CursorRow(); ++row)
            start = text.find("\r\n", start) + 2;
        done.push_back("enter " + text.substr(start, text.find("\r\n", start) - start));
    }
    void set_Prg_File(const std::string& path) override { file = path; }

    std::vector<std::string> done;
    std::string file;

  private:
    qvt::platform::TerminalControl& term_;
};

std::string shown_by(const std::vector<std::string_view>& blocks,
                     qvt::link::ReceiveParserState& parser, qvt::link::SharedState& state) {
    qvt::test::LinkRig rig;
    auto& receive = rig.attach_receive();
    std::string shown;
    for (const auto block : blocks)
        shown += receive.process_received(block);
    parser = receive.parser();
    state = rig.state;
    return shown;
}

bool printable(std::string_view s) {
    for (const char c : s)
        if (c < ' ' || c > '~') return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qvt::fuzz::Input in(data, size);
    const std::uint8_t seed = in.byte();
    std::vector<std::string> requests;
    const std::uint8_t request_count = in.byte() % 4;
    for (int i = 0; i < request_count; ++i)
        requests.emplace_back(in.until_nul());
    const std::string_view bytes = in.rest();

    qvt::link::ReceiveParserState whole_parser, split_parser;
    qvt::link::SharedState whole_state, split_state;
    const std::string whole = shown_by({bytes}, whole_parser, whole_state);
    const std::string split = shown_by(qvt::fuzz::pieces(bytes, seed), split_parser, split_state);
    QVT_FUZZ_CHECK(whole == split);
    const auto fields = [](const qvt::link::ReceiveParserState& p) {
        return std::vector<int>{p.rx_after_lf,    p.rx_after_cr,         p.rx_after_esc,
                                p.rx_column,      p.rx_numbered_line,    p.rx_in_quotes,
                                p.rx_prompt_seen, p.first_prompt_pending};
    };
    QVT_FUZZ_CHECK(fields(whole_parser) == fields(split_parser));
    QVT_FUZZ_CHECK(whole_state.term_mode == split_state.term_mode);
    QVT_FUZZ_CHECK(whole_state.echo_skip == split_state.echo_skip);

    qvt::test::LinkRig rig;
    rig.term.set_Disp(whole);
    QVT_FUZZ_CHECK(rig.term.CursorRow() >= 1 && rig.term.CursorColumn() >= 1);

    Hooks hooks(rig.term);
    qvt::link::RequestField field(rig.state, rig.term, rig.pump, rig.dialogs, hooks);
    std::vector<std::string> expected;
    std::string current;
    for (const auto& text : requests) {
        field.MaskEdit1Change(text);
        if (text.size() < 2 || text.find_first_of("\r\n") != std::string::npos) continue;
        const std::string code = text.substr(0, 2);
        std::string argument = text.size() > 3 ? text.substr(3) : std::string();
        while (!argument.empty() && static_cast<unsigned char>(argument.back()) <= ' ')
            argument.pop_back();
        while (!argument.empty() && static_cast<unsigned char>(argument.front()) <= ' ')
            argument.erase(0, 1);
        std::string line;
        if (code == "/L") {
            if (!argument.empty()) current = argument;
            expected.push_back("load " + current);
        }
        if (code == "/T") line = "LIST " + argument;
        if (code == "/P") line = "PRINT " + argument + " : PRX " + argument;
        if (code == "/X") line = "PRX " + argument;
        if (line.empty()) continue;
        // A line that fits the row and holds no control byte is typed as it
        // is, whatever the reply or a line typed before left open on the
        // screen (an escape sequence, half a double-byte character).
        while (!line.empty() && line.back() == ' ')
            line.pop_back();  // the row's text ends at its last character
        const bool plain = line.size() < 80 && printable(line);
        expected.push_back(plain ? "enter " + line : "enter ?");
    }
    rig.pump.run_for(1000);
    QVT_FUZZ_CHECK(!field.request_pending());
    QVT_FUZZ_CHECK(hooks.done.size() == expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (expected[i] != "enter ?") QVT_FUZZ_CHECK(hooks.done[i] == expected[i]);
    return 0;
}
