// What lives in the per-user folder besides the profile's fallback place: the
// port links and the request socket.
//
// How it works: the folder is platform::user_folder() ($QVTW2K_HOME, else
// ~/.config/qvtw2k), looked up afresh at every call. Nothing is created until
// ensure_user_folder() is called.
#pragma once

#include <filesystem>

namespace qvt::posix {

// Creates the folder (and parents) when missing; returns it.
std::filesystem::path ensure_user_folder();
// The folder in which COMn links name the device of COM n.
std::filesystem::path ports_folder();

}  // namespace qvt::posix
