#include "gui/key_map.h"

#include <QStringEncoder>

namespace qvt::gui {

int virtual_key(int qt_key) {
    if (qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z) return 'A' + (qt_key - Qt::Key_A);
    if (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9) return '0' + (qt_key - Qt::Key_0);
    if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F12) return vk::F1 + (qt_key - Qt::Key_F1);
    switch (qt_key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return vk::Return;
        case Qt::Key_Backspace:
            return vk::Back;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return vk::Tab;
        case Qt::Key_Escape:
            return vk::Escape;
        case Qt::Key_Space:
            return vk::Space;
        case Qt::Key_PageUp:
            return vk::Prior;
        case Qt::Key_PageDown:
            return vk::Next;
        case Qt::Key_End:
            return vk::End;
        case Qt::Key_Home:
            return vk::Home;
        case Qt::Key_Left:
            return vk::Left;
        case Qt::Key_Up:
            return vk::Up;
        case Qt::Key_Right:
            return vk::Right;
        case Qt::Key_Down:
            return vk::Down;
        case Qt::Key_Insert:
            return vk::Insert;
        case Qt::Key_Delete:
            return vk::Delete;
        case Qt::Key_Shift:
            return vk::Shift;
        case Qt::Key_Control:
            return vk::Control;
        case Qt::Key_Alt:
            return vk::Menu;
        default:
            return 0;
    }
}

int virtual_key_of_event(int qt_key, const QString& text) {
    if (const int code = virtual_key(qt_key); code != 0) return code;
    if (qt_key >= 0x20 && qt_key < 0x7f) {
        switch (static_cast<char>(qt_key)) {
            case '!':
                return '1';
            case '@':
                return '2';
            case '#':
                return '3';
            case '$':
                return '4';
            case '%':
                return '5';
            case '^':
                return '6';
            case '&':
                return '7';
            case '*':
                return '8';
            case '(':
                return '9';
            case ')':
                return '0';
            case ';':
            case ':':
                return vk::Oem1;
            case '=':
            case '+':
                return vk::OemPlus;
            case ',':
            case '<':
                return vk::OemComma;
            case '-':
            case '_':
                return vk::OemMinus;
            case '.':
            case '>':
                return vk::OemPeriod;
            case '/':
            case '?':
                return vk::Oem2;
            case '`':
            case '~':
                return vk::Oem3;
            case '[':
            case '{':
                return vk::Oem4;
            case '\\':
            case '|':
                return vk::Oem5;
            case ']':
            case '}':
                return vk::Oem6;
            case '\'':
            case '"':
                return vk::Oem7;
            default:
                break;
        }
    }
    return text.isEmpty() ? 0 : vk::Oem8;
}

platform::ShiftState shift_state(Qt::KeyboardModifiers modifiers) {
    return {modifiers.testFlag(Qt::ShiftModifier), modifiers.testFlag(Qt::ControlModifier),
            modifiers.testFlag(Qt::AltModifier)};
}

std::string key_press_bytes(int qt_key, Qt::KeyboardModifiers modifiers, const QString& text) {
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    if (ctrl && qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z) {
        return std::string(1, static_cast<char>(1 + (qt_key - Qt::Key_A)));
    }
    switch (qt_key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return "\r";
        case Qt::Key_Backspace:
            return "\b";
        case Qt::Key_Tab:
            return "\t";
        case Qt::Key_Escape:
            return "\x1b";
        default:
            break;
    }
    if (text.isEmpty() || ctrl) return {};
    std::string bytes;
    bool ascii = true;
    for (const QChar ch : text)
        ascii = ascii && ch.unicode() < 0x80;
    if (ascii) {
        for (const QChar ch : text) {
            // Cursor and function keys come with private-use or control text on
            // some platforms; only printable text is typed.
            if (ch.unicode() >= 0x20 && ch.unicode() != 0x7f)
                bytes += static_cast<char>(ch.unicode());
        }
        return bytes;
    }
    QStringEncoder encoder("Shift_JIS");
    if (!encoder.isValid()) return {};
    const QByteArray encoded = encoder.encode(text);
    if (encoder.hasError()) return {};
    return std::string(encoded.constData(), static_cast<std::size_t>(encoded.size()));
}

}  // namespace qvt::gui
