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
                     Up = 38, Right = 39, Down = 40, Insert = 45, Delete = 46, F1 = 112, F12 = 123,
                     Oem1 = 186, OemPlus = 187, OemComma = 188, OemMinus = 189, OemPeriod = 190,
                     Oem2 = 191, Oem3 = 192, Oem4 = 219, Oem5 = 220, Oem6 = 221, Oem7 = 222,
                     Oem8 = 223;
}

int virtual_key(int qt_key);
// The code of a key event: virtual_key(), else the code of the key that types
// the character on a US keyboard ('!' is the 1 key, '[' VK_OEM_4), else, for
// any other key that types text, VK_OEM_8, so that every typing key reaches
// the terminal's key-down handler as on Windows.
int virtual_key_of_event(int qt_key, const QString& text);
platform::ShiftState shift_state(Qt::KeyboardModifiers modifiers);
std::string key_press_bytes(int qt_key, Qt::KeyboardModifiers modifiers, const QString& text);

}  // namespace qvt::gui
