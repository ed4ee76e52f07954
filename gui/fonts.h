// The fonts of the windows: a proportional Japanese font 12 pixels high for
// the windows themselves and a fixed-pitch Japanese font of 10 points for the
// lists, each the first installed of a short list of families (the IPA fonts
// come with the set-up), else the system's general or fixed font.
#pragma once

#include <QFont>

namespace qvt::gui {

QFont window_font();
QFont list_font();

}  // namespace qvt::gui
