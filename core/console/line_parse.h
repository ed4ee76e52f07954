// Pure text rules of line entry: cleaning the screen line, reading its leading
// step number, and recognising the local commands.
//
// How it works: a screen line becomes a command line by cutting a "/*" remark,
// dropping the prompt characters at its start and trimming blanks and control
// characters. A leading number (decimal, or hexadecimal after "$" or "0x")
// makes it a numbered program line; reading stops at the first character
// that does not belong, and a sign counts only when the whole line is the
// number. Local commands are matched against a fixed table in order, case
// ignored, the first match winning; only LOAD needs a blank (or the line end)
// after its word, and IOC must be the whole line.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qvt::console {

// Trims characters up to and including the blank (control characters too) at
// both ends; bytes above 127 (Shift-JIS) stay.
std::string trim_blanks(std::string_view text);
// Cuts the line before its first "/*".
std::string cut_remark(std::string_view line);
// Drops every "#" at the start, then trims.
std::string strip_prompts(std::string_view line);
// The line's leading number; 0 when it does not start with one.
std::int64_t leading_number(std::string_view line);

enum class FileSlot : std::uint8_t { None, Prg, Pnt, Mbk };
enum class LocalOp : std::uint8_t {
    EditPrg,
    EditPnt,
    EditMbk,
    Load,
    Save,
    PLoad,
    PSave,
    MLoad,
    MSave,
    Ioc
};

struct LocalCommand {
    std::string_view word;
    int arg_from;  // 1-based position of the argument; 0: no argument
    FileSlot slot;
    LocalOp op;
};

inline constexpr std::array<LocalCommand, 10> kLocalCommands = {{
    {"EDIT", 5, FileSlot::Prg, LocalOp::EditPrg},
    {"PEDIT", 6, FileSlot::Pnt, LocalOp::EditPnt},
    {"MEDIT", 6, FileSlot::Mbk, LocalOp::EditMbk},
    {"LOAD", 5, FileSlot::Prg, LocalOp::Load},
    {"SAVE", 5, FileSlot::Prg, LocalOp::Save},
    {"PLOAD", 6, FileSlot::Pnt, LocalOp::PLoad},
    {"PSAVE", 6, FileSlot::Pnt, LocalOp::PSave},
    {"MLOAD", 6, FileSlot::Mbk, LocalOp::MLoad},
    {"MSAVE", 6, FileSlot::Mbk, LocalOp::MSave},
    {"IOC", 0, FileSlot::None, LocalOp::Ioc},
}};

struct LocalMatch {
    const LocalCommand* command;
    std::string argument;  // at most 255 characters, trimmed; may be empty
};

std::optional<LocalMatch> match_local_command(std::string_view line);

// Upper-cases ASCII letters only.
std::string ascii_upper(std::string_view text);

}  // namespace qvt::console
