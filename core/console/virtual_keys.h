// Virtual-key codes of the keys the console acts on. Key events carry these
// codes whatever the platform; 0 means "no key" (a handler consumed it).
#pragma once

namespace qvt::console::vk {

inline constexpr int kNone = 0;
inline constexpr int kTab = 9;
inline constexpr int kReturn = 13;
inline constexpr int kShift = 16;
inline constexpr int kControl = 17;
inline constexpr int kMenu = 18;  // Alt
inline constexpr int kEscape = 27;
inline constexpr int kPrior = 33;  // PgUp
inline constexpr int kNext = 34;   // PgDn
inline constexpr int kEnd = 35;
inline constexpr int kHome = 36;
inline constexpr int kLeft = 37;
inline constexpr int kUp = 38;
inline constexpr int kRight = 39;
inline constexpr int kDown = 40;
inline constexpr int kInsert = 45;
inline constexpr int kDelete = 46;
inline constexpr int kF1 = 112;
inline constexpr int kF12 = 123;
inline constexpr int kOem4 = 219;        // '['
inline constexpr int kOem6 = 221;        // ']'
inline constexpr int kProcessKey = 229;  // an input method is composing

constexpr int F(int n) {
    return kF1 + n - 1;
}
constexpr int letter(char c) {
    return c;
}  // 'A'..'Z'

}  // namespace qvt::console::vk
