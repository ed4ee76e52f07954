#include "gui/sjis_text.h"

#include <QStringDecoder>

namespace qvt::gui {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

}  // namespace

SjisDecoder::SjisDecoder() {
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        if (b < 0x20 || b == 0x7f) {
            singles_[static_cast<std::size_t>(b)] = QString(QChar(u' '));
        } else if (b < 0x80) {
            singles_[static_cast<std::size_t>(b)] = QString(QChar(static_cast<char16_t>(b)));
        } else {
            singles_[static_cast<std::size_t>(b)] = decode(&byte, 1);
        }
    }
}

QString SjisDecoder::decode(const char* bytes, qsizetype n) {
    // A fresh decoder each time: every cell stands alone, and a decoder's
    // error flag survives resetState(). The results are cached, so this runs
    // once per distinct character.
    QStringDecoder decoder("Shift_JIS");
    if (!decoder.isValid()) return QString(QChar(kReplacement));
    QString text = decoder.decode(QByteArrayView(bytes, n));
    if (decoder.hasError() || text.isEmpty()) return QString(QChar(kReplacement));
    return text;
}

QString SjisDecoder::single(char byte) const {
    return singles_[static_cast<unsigned char>(byte)];
}

QString SjisDecoder::pair(char lead, char trail) {
    const auto key = static_cast<quint16>((static_cast<unsigned char>(lead) << 8) |
                                          static_cast<unsigned char>(trail));
    auto it = pairs_.constFind(key);
    if (it != pairs_.constEnd()) return *it;
    const char bytes[2] = {lead, trail};
    QString text = decode(bytes, 2);
    if (text.size() != 1 && !(text.size() == 2 && text[0].isHighSurrogate())) {
        text = QString(QChar(kReplacement));
    }
    pairs_.insert(key, text);
    return text;
}

QString SjisDecoder::row_text(const terminal::Screen& screen, int row) {
    QString text;
    for (int col = 1; col <= screen.columns(); ++col) {
        const auto& cell = screen.cell(row, col);
        switch (cell.kind) {
            case terminal::CellKind::Single:
                text += single(cell.byte);
                break;
            case terminal::CellKind::Lead:
                if (col < screen.columns()) {
                    text += pair(cell.byte, screen.cell(row, col + 1).byte);
                    ++col;
                }
                break;
            case terminal::CellKind::Trail:
                break;  // an orphan half shows nothing
        }
    }
    return text;
}

}  // namespace qvt::gui
