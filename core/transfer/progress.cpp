#include "core/transfer/progress.h"

namespace qvt::transfer {

void ProgressModel::show_for(const std::string& caption, const std::string& file_name,
                             const std::string& activity) {
    pinned_ = true;
    caption_ = caption;
    label1_.clear();
    label2_ = file_name;
    label3_ = activity;
    visible_ = true;
    changed();
}

void ProgressModel::set_label1(const std::string& text) {
    label1_ = text;
    changed();
}

void ProgressModel::hide() {
    visible_ = false;
    changed();
}

void ProgressModel::set_main_window_enabled(bool on) {
    main_window_enabled_ = on;
    changed();
}

void ProgressModel::FormDeactivate() {
    pinned_ = false;
    changed();
}

ProgressPlacement ProgressModel::place(const Rect& main_window, int button_width) {
    ProgressPlacement p;
    p.width = (main_window.width / 5) * 4;
    p.left = main_window.left + main_window.width / 2 - p.width / 2;
    p.top = main_window.top + 60;
    p.button_left = p.width / 2 - button_width / 2 - 5;
    return p;
}

}  // namespace qvt::transfer
