// The transfers on the test link: LinkRig, a console, the transfer subsystem
// plugged into the console's operations, and a scratch folder for files.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/console/console.h"
#include "core/link/lifecycle.h"
#include "core/transfer/transfers.h"
#include "tests/core/link/table_ports.h"
#include "tests/support/link_rig.h"
#include "tests/support/scratch_dir.h"

namespace qvt::test {

// Operations of other subsystems that the file menus reach, recorded.
class RecordingTransferOps : public transfer::TransferOperations {
  public:
    using TransferOperations::TransferOperations;
    std::vector<std::string> calls;
    void PLoad68k() override { calls.push_back("PLoad68k"); }
    void PSave2000() override { calls.push_back("PSave2000"); }
    void MBKLoad2000() override { calls.push_back("MBKLoad2000"); }
    void MBKSave2000() override { calls.push_back("MBKSave2000"); }
    void Edit_Prg(int) override { calls.push_back("Edit_Prg"); }
    void Edit_pnt(int) override { calls.push_back("Edit_pnt"); }
    void Edit_Mbk(int) override { calls.push_back("Edit_Mbk"); }
};

struct TransferRig : LinkRig {
    TransferRig() {
        ops.provide(file_ops);
        transfers.hooks.GetKVB68KVersion = [this] { return lifecycle.GetKVB68KVersion(); };
        console.shell.FormShow();
    }

    // Enters program lines into the attached simulator.
    void enter_program(const std::vector<std::string>& lines) {
        std::string reply;
        for (const auto& line : lines)
            dialogue.CommOut(line, reply);
    }
    // The program as listed, after whatever the line still carried.
    std::string list_program() {
        pump.run_for(100);
        term.set_InBufferCount(0);
        std::string reply;
        dialogue.CommOut("LIST 0 0", reply);
        return reply;
    }
    transfer::ProgressModel& progress() { return transfers.progress; }
    console::MainShell& shell() { return console.shell; }

    ScratchDir dir;
    console::Operations ops{dialogs};
    FakeClipboard clipboard;
    std::string prg_file, pnt_file, mbk_file;
    console::FileNames files{prg_file, pnt_file, mbk_file};
    std::string ime_enabled = "1";
    console::Console console{
        {state, term, pump, dialogs, clipboard, dialogue, ops, files, ime_enabled}};
    transfer::Transfers transfers{
        {state, term, pump, dialogue, dialogs, console.shell, console.commands, ops, files}};
    RecordingTransferOps file_ops{transfers, dialogs};
    TablePorts ports;
    link::NoLifecycleView lifecycle_view;
    link::Lifecycle lifecycle{state, term, pump, dialogue, dialogs, ports, lifecycle_view};
};

}  // namespace qvt::test
