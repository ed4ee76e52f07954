#include "core/console/commands.h"

#include "core/console/virtual_keys.h"
#include "core/platform/text_codec.h"

namespace qvt::console {

namespace {

constexpr platform::ShiftState kNoShift{};
constexpr platform::ShiftState kCtrl{false, true, false};

}  // namespace

Commands::Commands(MainShell& shell, link::Dialogue& dialogue, platform::EventPump& pump,
                   Operations& ops, FileNames files)
    : shell_(shell),
      dialogue_(dialogue),
      pump_(pump),
      ops_(ops),
      files_(files),
      history_(shell.list(ListId::ListBox1)) {}

void Commands::transmit(const std::string& bytes) {
    shell_.term().set_Output(bytes);
}

void Commands::EnterLine(int& key) {
    link::SharedState& st = shell_.state();
    platform::TerminalControl& term = shell_.term();
    if (st.watch_mode != 0) {
        shell_.dialogs().MessageBox(std::string(kCaption), "Stop the Variable Watch Timer",
                                    platform::MsgIcon::None, platform::MsgButtons::Ok);
        key = vk::kNone;
        return;
    }
    term.set_InBufferCount(0);
    key = vk::kNone;
    link::OperationGuard running(st);

    std::string line;
    dialogue_.GetLineStr(term.CursorRow(), line);
    line = cut_remark(line);
    st.echo_skip = 1;
    line = strip_prompts(line);
    if (st.bp_mode != 0) {
        // "?" answers the break prompt's own "?": the controller wants an
        // empty line to continue.
        if (!line.empty() && line[0] == '?') {
            line[0] = ' ';
            line = trim_blanks(line);
        }
        ops_.debug().Break_Point_Set_Controls();
    }

    const std::int64_t number = leading_number(line);
    if (number != 0) {
        // The number alone first: the controller drops an existing line of that
        // number, so the edited line replaces it rather than merging.
        transmit(std::to_string(number) + "\r");
        dialogue_.Wait_Prompt();
        dialogue_.msDelay(20);
    } else {
        SetHistory(line);
        if (QVTCommands(line, true)) return;
    }

    shell_.clear_memo();
    // The debug page holds UTF-8, like every text of the core that is shown.
    shell_.append_memo("\r\n[Ent]" + platform::utf8_from_sjis(line));
    pump_.process_pending();
    st.max_rx_chunk = 0;

    if (number == 0) {
        if (ascii_upper(line.substr(0, 3)) == "RUN") st.bp_hit = 0;
        st.term_mode = 1;
    }
    shell_.termmode_menu_disable();
    term.set_InBufferCount(0);
    transmit(line + "\r");
    if (number != 0) {
        dialogue_.Wait_Prompt1();
        shell_.termmode_menu_enable();
    }
}

void Commands::CommandExec(const std::string& command, int mode) {
    platform::TerminalControl& term = shell_.term();
    term.set_Disp("\r" + command + "\x1b[0K");
    if (mode == 0) {
        int key = vk::kReturn;
        if (keys_ != nullptr) keys_->CommKeyDown(key, kNoShift);
    } else if (mode == 1) {
        term.set_Disp(" ");
        int key = vk::kNone;
        if (keys_ != nullptr) keys_->CommKeyDown(key, kNoShift);
    }
    shell_.focus_terminal();
}

void Commands::run_local(const LocalMatch& match) {
    switch (match.command->op) {
        case LocalOp::EditPrg:
            ops_.files().Edit_Prg(0);
            break;
        case LocalOp::EditPnt:
            ops_.files().Edit_pnt(0);
            break;
        case LocalOp::EditMbk:
            ops_.files().Edit_Mbk(0);
            break;
        case LocalOp::Load:
            ops_.files().Load68k();
            break;
        case LocalOp::Save:
            ops_.files().Save68k();
            break;
        case LocalOp::PLoad:
            ops_.files().PLoad68k();
            break;
        case LocalOp::PSave:
            ops_.files().PSave2000();
            break;
        case LocalOp::MLoad:
            ops_.files().MBKLoad2000();
            break;
        case LocalOp::MSave:
            ops_.files().MBKSave2000();
            break;
        case LocalOp::Ioc:
            IOC_exec();
            break;
    }
}

bool Commands::QVTCommands(const std::string& line, bool terminal_text) {
    const auto match = match_local_command(line);
    if (!match) return false;
    if (!match->argument.empty()) {
        // Converted after the 255-byte cut, which counts the characters as typed.
        const std::string name =
            terminal_text ? platform::utf8_from_sjis(match->argument) : match->argument;
        switch (match->command->slot) {
            case FileSlot::Prg:
                files_.Prg_File = name;
                break;
            case FileSlot::Pnt:
                files_.Pnt_File = name;
                break;
            case FileSlot::Mbk:
                files_.Mbk_File = name;
                break;
            case FileSlot::None:
                break;
        }
    }
    run_local(*match);
    shell_.term().set_Disp("\r\n");
    return true;
}

void Commands::PrgRun() {
    platform::TerminalControl& term = shell_.term();
    term.set_CursorColumn(1);
    // Moving the cursor with AutoScroll off keeps the view where it is.
    term.set_AutoScroll(0);
    const int downs = term.Rows() - term.CursorRow() + 1;
    std::string moves;
    for (int i = 0; i < downs; ++i)
        moves += "\x1b[B";
    term.set_Disp(moves);
    term.set_AutoScroll(3);
    CommandExec("RUN", 0);
}

void Commands::kvb_quit() {
    link::SharedState& st = shell_.state();
    transmit(std::string(1, '\x01'));
    st.term_mode = 1;
    shell_.termmode_menu_disable();
    if (st.watch_mode != 0) {
        ops_.debug().Quit_Watch();
        shell_.focus_terminal();
    }
}

void Commands::IOC_exec() {
    if (!shell_.Func_Check(false)) return;
    ops_.debug().HideBreakPointWindow();
    ops_.debug().CloseWatchWindowIfVisible();
    shell_.termmode_menu_disable();
    link::SharedState& st = shell_.state();
    st.transfer_mode = 1;
    struct Release {
        MainShell& shell;
        ~Release() {
            shell.state().transfer_mode = 0;
            shell.termmode_menu_enable();
        }
    } release{shell_};
    ops_.io().ShowIOCheckerModal();
}

// ---- the command history page ----------------------------------------------------

void Commands::ListBox1KeyDown(int& key, platform::ShiftState shift) {
    ListModel& list = history_.list();
    platform::Dialogs& dialogs = shell_.dialogs();
    const auto confirm = [&dialogs](const char* text) {
        return dialogs.MessageBox(std::string(kCaption), text, platform::MsgIcon::None,
                                  platform::MsgButtons::OkCancel) == platform::MsgResult::Ok;
    };
    switch (key) {
        case vk::kReturn:
            ListBox1DblClick();
            break;
        case vk::kEscape:
        case vk::F(3):
            shell_.focus_terminal();
            break;
        case vk::F(10):
            break;
        case vk::kInsert:
            history_.sort_toggle();
            break;
        case vk::kDelete:
            if (shift == kCtrl) {
                if (confirm("Clear the ListBox\r\n")) {
                    list.clear();
                    shell_.focus_terminal();
                }
            } else if (list.current() >= 0) {
                if (confirm("Remove selected item from the List\r\n")) {
                    list.remove_selected();
                    if (list.empty()) {
                        shell_.focus_terminal();
                    } else {
                        list.set_selected(list.current(), true);
                    }
                }
            }
            break;
        default:
            return;
    }
    key = vk::kNone;
}

void Commands::ListBox1DblClick() {
    if (!shell_.Func_Check(false)) {
        shell_.focus_terminal();
        return;
    }
    ListModel& list = history_.list();
    if (list.empty() || list.current() < 0) {
        shell_.focus_terminal();
        return;
    }
    const std::string entry = list.item(list.current());
    list.set_selected(list.current(), false);
    CommandExec("#" + entry, 1);
}

}  // namespace qvt::console
