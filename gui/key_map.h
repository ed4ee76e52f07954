// From Qt key events to the control's key events.
//
// How it works: the terminal's handlers speak Windows virtual-key codes
// (OnKeyDown/OnKeyUp) and single bytes (OnKeyPress). virtual_key() maps a Qt
// key to its code (0 when the key has none). key_press_bytes() gives the bytes
// a key produces as text: ASCII as is, Ctrl with a letter the control
// character, other text encoded as Shift-JIS, which is what the controller
// reads.
#pragma once

#include <QString>
#include <string>

#include "core/platform/terminal_control.h"

namespace qvt::gui {

namespace vk {
inline constexpr int Back = 8, Tab = 9, Return = 13, Shift = 16, Control = 17, Menu = 18,
                     Escape = 27, Space = 32, Prior = 33, Next = 34, End = 35, Home = 36, Left = 37,
                     Up = 38, Right = 39, Down = 40, Insert = 45, Delete = 46, F1 = 112, F12 = 123;
}

int virtual_key(int qt_key);
platform::ShiftState shift_state(Qt::KeyboardModifiers modifiers);
std::string key_press_bytes(int qt_key, Qt::KeyboardModifiers modifiers, const QString& text);

}  // namespace qvt::gui
