// The current file names that the profile keeps and the local commands set:
// the program, point and MBK file that transfers and editors offer or use.
//
// How it works: the strings themselves live in the profile values, which are
// read at start and written at exit; FileNames binds to them, so a name that a
// local command sets is what the profile writes and what the subsystems read.
#pragma once

#include <string>

namespace qvt::console {

struct FileNames {
    std::string& Prg_File;
    std::string& Pnt_File;
    std::string& Mbk_File;
};

}  // namespace qvt::console
