// A console on the test link: LinkRig plus operations that record what the
// console asked of the other subsystems, with the terminal's key events and
// the receive handler wired as the main window wires them.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/console/console.h"
#include "tests/support/link_rig.h"

namespace qvt::test {

class RecordingOperations : public console::FileOperations,
                            public console::EditingOperations,
                            public console::DebugOperations,
                            public console::IoOperations,
                            public console::DesktopOperations {
  public:
    std::vector<std::string> calls;
    std::function<void()> during_io_checker;

    void Load68k() override { calls.push_back("Load68k"); }
    void Save68k() override { calls.push_back("Save68k"); }
    void Label_Read() override { calls.push_back("Label_Read"); }
    void PLoad68k() override { calls.push_back("PLoad68k"); }
    void PSave2000() override { calls.push_back("PSave2000"); }
    void MBKLoad2000() override { calls.push_back("MBKLoad2000"); }
    void MBKSave2000() override { calls.push_back("MBKSave2000"); }
    void Edit_Prg(int m) override { calls.push_back("Edit_Prg(" + std::to_string(m) + ")"); }
    void Edit_pnt(int m) override { calls.push_back("Edit_pnt(" + std::to_string(m) + ")"); }
    void Edit_Mbk(int m) override { calls.push_back("Edit_Mbk(" + std::to_string(m) + ")"); }
    void LabelListClick() override { calls.push_back("LabelListClick"); }
    void Copy_to_Clipboard(int m) override {
        calls.push_back("Copy_to_Clipboard(" + std::to_string(m) + ")");
    }
    void Paste_from_Clipboard() override { calls.push_back("Paste_from_Clipboard"); }
    void Lineins(int m) override { calls.push_back("Lineins(" + std::to_string(m) + ")"); }
    void Linedel() override { calls.push_back("Linedel"); }
    void MonList() override { calls.push_back("MonList"); }
    void ShowWatchWindow() override { calls.push_back("ShowWatchWindow"); }
    void CloseWatchWindowIfVisible() override { calls.push_back("CloseWatchWindowIfVisible"); }
    void Quit_Watch() override { calls.push_back("Quit_Watch"); }
    void Break_Point(int m) override { calls.push_back("Break_Point(" + std::to_string(m) + ")"); }
    void Break_Point_Set_Controls() override { calls.push_back("Break_Point_Set_Controls"); }
    void HideBreakPointWindow() override { calls.push_back("HideBreakPointWindow"); }
    bool BreakPointWindowVisible() override { return false; }
    void SetBreakCheckBox(bool) override {}
    void DisableBreakPointButton() override { calls.push_back("DisableBreakPointButton"); }
    void clr_outp() override { calls.push_back("clr_outp"); }
    void ShowIOCheckerModal() override {
        calls.push_back("ShowIOCheckerModal");
        if (during_io_checker) during_io_checker();
    }
    void Disconnect1Click() override { calls.push_back("Disconnect1Click"); }
    bool OpenWindowSwitch(bool last) override {
        calls.push_back(last ? "OpenWindowSwitch(last)" : "OpenWindowSwitch(second)");
        return true;
    }
    void WebReference() override { calls.push_back("WebReference"); }
    void KVBMonitor() override { calls.push_back("KVBMonitor"); }
};

struct ConsoleRig : LinkRig {
    ConsoleRig() {
        router.provide(static_cast<console::FileOperations&>(ops));
        router.provide(static_cast<console::EditingOperations&>(ops));
        router.provide(static_cast<console::DebugOperations&>(ops));
        router.provide(static_cast<console::IoOperations&>(ops));
        router.provide(static_cast<console::DesktopOperations&>(ops));
        console.shell.on_change = [this](console::ShellChange what) {
            if (what == console::ShellChange::CloseInputMethod) ++ime_closes;
        };
        term.OnKeyDown = [this](int& k, platform::ShiftState s) {
            console.keyboard.PDQComm1KeyDown(k, s);
        };
        term.OnKeyPress = [this](char& c) { console.keyboard.PDQComm1KeyPress(c); };
        term.OnKeyUp = [this](int& k, platform::ShiftState s) {
            console.keyboard.PDQComm1KeyUp(k, s);
        };
        console.shell.FormShow();
    }

    console::MainShell& shell() { return console.shell; }
    console::Keyboard& keys() { return console.keyboard; }

    // A key typed on the terminal: the window's preview, the terminal's key
    // down, the character (when the key makes one and was not consumed) and
    // the release. Returns the key as the terminal's key down left it.
    int type(int key, platform::ShiftState shift = {}, char ch = 0) {
        console.keyboard.FormKeyDown(key, shift);
        if (key == 0) return 0;
        key = term.key_down(key, shift);
        if (ch != 0) term.key_press(ch);
        int up = key;
        if (term.OnKeyUp) term.OnKeyUp(up, shift);
        return key;
    }
    void type_text(const std::string& text) {
        for (char c : text) {
            const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
            type(static_cast<unsigned char>(upper), {}, c);
        }
    }
    // Puts text on the screen and the cursor at (row, column).
    void screen(const std::string& bytes, int row, int column) {
        term.set_Disp(bytes);
        term.set_CursorRow(row);
        term.set_CursorColumn(column);
        term.clear_disp_log();
    }
    std::string row_text(int row) {
        std::string out;
        dialogue.GetLineStr(row, out);
        return out;
    }
    // Every line sent is answered with its echo, CR LF and the prompt.
    void answer_with_prompt() {
        term.set_line_responder(
            [this](const std::string& line, Millis) { term.deliver(line + "\r\n#"); });
    }

    RecordingOperations ops;
    console::Operations router{dialogs};
    int ime_closes = 0;  // the shell's requests to close the input method
    FakeClipboard clipboard;
    std::string prg_file, pnt_file, mbk_file;
    console::FileNames files{prg_file, pnt_file, mbk_file};
    std::string ime_enabled = "1";
    console::Console console{
        {state, term, pump, dialogs, clipboard, dialogue, router, files, ime_enabled}};
};

}  // namespace qvt::test
