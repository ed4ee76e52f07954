// File names typed on the terminal: from the terminal's Shift-JIS to the
// UTF-8 of file names.
//
// How it works: text that comes from or goes to the controller (the screen,
// typed lines, the command history, program files) is bytes in Shift-JIS, as
// the controller and the Windows tools around it write it; file names are
// UTF-8, as the file system and the desktop name files here. A name crosses
// over once, where it is taken from terminal text (the argument of SAVE,
// LOAD, PSAVE and the other local commands typed on the terminal); from then
// on it is a file name and is stored, compared and shown as UTF-8. Message
// texts of the core follow the same rule: they are UTF-8, so any controller
// text that goes into one is converted here first.
//
// The conversion is the C library's iconv with the Windows code page of
// Shift-JIS (CP932, which also holds the NEC and IBM extensions Windows users
// type). Bytes that are no Shift-JIS (half a character, an unassigned code)
// are carried over unchanged, so nothing typed is lost; ASCII, the usual
// case, is returned as it is without calling iconv.
#pragma once

#include <string>
#include <string_view>

namespace qvt::platform {

std::string utf8_from_sjis(std::string_view sjis);

}  // namespace qvt::platform
