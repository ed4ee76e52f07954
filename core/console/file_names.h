// The current file names that the profile keeps and the local commands set:
// the program, point and MBK file that transfers and editors offer or use.
//
// How it works: one instance lives beside the profile values for the whole run;
// the console writes a name when a local command carries one and the
// subsystems read it when they start.
#pragma once

#include <string>

namespace qvt::console {

struct FileNames {
    std::string Prg_File;
    std::string Pnt_File;
    std::string Mbk_File;
};

}  // namespace qvt::console
