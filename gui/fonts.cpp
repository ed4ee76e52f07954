#include "gui/fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace qvt::gui {

namespace {

QFont first_installed(const QStringList& families, QFontDatabase::SystemFont fallback) {
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : families) {
        if (installed.contains(family)) return QFont(family);
    }
    return QFontDatabase::systemFont(fallback);
}

}  // namespace

QFont window_font() {
    QFont font = first_installed({QStringLiteral("IPAPGothic"), QStringLiteral("VL PGothic"),
                                  QStringLiteral("Noto Sans CJK JP")},
                                 QFontDatabase::GeneralFont);
    font.setPixelSize(12);
    return font;
}

QFont list_font() {
    QFont font = first_installed({QStringLiteral("IPAGothic"), QStringLiteral("VL Gothic"),
                                  QStringLiteral("Noto Sans Mono CJK JP")},
                                 QFontDatabase::FixedFont);
    font.setPointSize(10);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

}  // namespace qvt::gui
