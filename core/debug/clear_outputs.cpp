#include "core/debug/clear_outputs.h"

#include <cstdio>

namespace qvt::debug {

ClearOutputs::ClearOutputs(platform::TerminalControl& term) : term_(term) {
    createset_param();
}

void ClearOutputs::clr_outp() {
    if (!show_modal || !show_modal()) return;
    createset_param();
    term_.set_Output(command_ + "\r");
}

void ClearOutputs::set_box(int area, bool ticked) {
    boxes_.at(static_cast<std::size_t>(area)) = ticked;
    createset_param();
}

void ClearOutputs::createset_param() {
    mask_ = 0;
    for (int area = 0; area < kOutputAreas; ++area) {
        if (boxes_[static_cast<std::size_t>(area)]) mask_ += 1 << area;
    }
    char hex[8];
    std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>(mask_));
    command_ = std::string("CLR_OUTP &H") + hex;
    if (on_change) on_change();
}

}  // namespace qvt::debug
