// Shift-JIS for display: the cells hold bytes, the painter wants QStrings.
//
// How it works: a single-byte cell (ASCII or half-width katakana) decodes
// through a 256-entry table built once; a lead/trail pair decodes through a
// stateless Shift-JIS decoder and is cached, since a screen repeats the same
// few hundred kanji. Bytes that do not decode show as U+FFFD per cell, so the
// grid never shifts.
#pragma once

#include <QHash>
#include <QString>
#include <array>

#include "core/terminal/screen.h"

namespace qvt::gui {

class SjisDecoder {
  public:
    SjisDecoder();
    QString single(char byte) const;
    QString pair(char lead, char trail);
    // The characters of one screen row, a kanji counted once.
    QString row_text(const terminal::Screen& screen, int row);

  private:
    QString decode(const char* bytes, qsizetype n);

    std::array<QString, 256> singles_;
    QHash<quint16, QString> pairs_;
};

}  // namespace qvt::gui
