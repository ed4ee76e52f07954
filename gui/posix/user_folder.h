// The per-user folder: where the port links, the request socket and (later)
// the profile live.
//
// How it works: $QVTW2K_HOME names the folder when it is set and not empty (the
// tests and the simulator point it at a scratch directory); otherwise it is
// ~/.config/qvtw2k. Nothing is created until ensure_user_folder() is called.
#pragma once

#include <filesystem>

namespace qvt::posix {

std::filesystem::path user_folder();
// Creates the folder (and parents) when missing; returns it.
std::filesystem::path ensure_user_folder();
// The folder in which COMn links name the device of COM n.
std::filesystem::path ports_folder();

}  // namespace qvt::posix
