#include "gui/terminal_view.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStringEncoder>
#include <algorithm>
#include <array>

#include "gui/key_map.h"
#include "gui/qt_terminal_control.h"

namespace qvt::gui {

namespace {

const QColor kPaper(Qt::white);
const QColor kInk(Qt::black);
const QColor kSelection(0xa6, 0xc8, 0xff);

}  // namespace

QFont choose_terminal_font(int point_size) {
    static constexpr std::array<const char*, 3> kFamilies = {"IPAGothic", "VL Gothic",
                                                             "Noto Sans Mono CJK JP"};
    const QStringList installed = QFontDatabase::families();
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (const char* family : kFamilies) {
        if (installed.contains(QString::fromLatin1(family))) {
            font = QFont(QString::fromLatin1(family));
            break;
        }
    }
    font.setPointSize(point_size > 0 ? point_size : 12);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setKerning(false);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

TerminalView::TerminalView(QtTerminalControl& term, QWidget* parent)
    : QAbstractScrollArea(parent), term_(term) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setCursor(Qt::IBeamCursor);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    repaint_timer_.setSingleShot(true);
    repaint_timer_.setTimerType(Qt::PreciseTimer);
    connect(&repaint_timer_, &QTimer::timeout, this, &TerminalView::repaint_now);
    connect(&term_, &QtTerminalControl::screenChanged, this, &TerminalView::schedule_repaint);
    connect(&term_, &QtTerminalControl::focusRequested, this, [this] { setFocus(); });
    apply_font(term_.font_size());
    sync_scroll_bars();
}

QSize TerminalView::sizeHint() const {
    return {cell_width_ * 100 + 20, kRowPixels * 30};
}

void TerminalView::apply_font(int point_size) {
    font_size_ = point_size;
    font_ = choose_terminal_font(point_size);
    const QFontMetrics fm(font_);
    cell_width_ = std::max(1, fm.horizontalAdvance(QLatin1Char('M')));
    row_height_ = std::max(fm.height(), kRowPixels * std::max(point_size, 1) / 12);
    ascent_ = fm.ascent() + (row_height_ - fm.height()) / 2;
    exact_runs_ = fm.horizontalAdvance(QStringLiteral("iiiiiiiiii")) == 10 * cell_width_ &&
                  fm.horizontalAdvance(QStringLiteral("WWWWWWWWWW")) == 10 * cell_width_;
}

void TerminalView::schedule_repaint() {
    if (!repaint_timer_.isActive()) repaint_timer_.start(kRepaintIntervalMs);
}

void TerminalView::repaint_now() {
    if (term_.font_size() != font_size_) apply_font(term_.font_size());
    sync_scroll_bars();
    viewport()->update();
}

void TerminalView::sync_scroll_bars() {
    const auto& screen = term_.screen();
    syncing_ = true;
    QScrollBar* v = verticalScrollBar();
    const int visible = std::max(1, viewport()->height() / row_height_);
    v->setRange(1, std::max(1, screen.rows() - visible + 1));
    v->setPageStep(visible);
    v->setSingleStep(1);
    v->setValue(screen.view_top());
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, screen.columns() * cell_width_ - viewport()->width()));
    h->setPageStep(viewport()->width());
    h->setSingleStep(cell_width_);
    syncing_ = false;
}

void TerminalView::scrollContentsBy(int, int) {
    if (syncing_) return;
    term_.screen().set_view_top(verticalScrollBar()->value());
    viewport()->update();
}

void TerminalView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (on_resized) on_resized(viewport()->height());
    sync_scroll_bars();
}

void TerminalView::paintEvent(QPaintEvent*) {
    ++paint_count_;
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), kPaper);
    painter.setFont(font_);
    const auto& screen = term_.screen();
    const int dx = -horizontalScrollBar()->value();
    painter.translate(dx, 0);
    for (int row = screen.view_top(), y = 0; row <= screen.rows() && y < viewport()->height();
         ++row, y += row_height_) {
        paint_row(painter, row, y);
    }
}

void TerminalView::paint_row(QPainter& painter, int row, int y) {
    const auto& screen = term_.screen();
    const bool selecting = screen.sel_length() > 0;
    const int sel_begin = screen.sel_start();
    const int sel_end = sel_begin + screen.sel_length();
    const bool cursor_row = row == screen.cursor_row();
    const bool focused = hasFocus();
    const int columns = screen.columns();

    int col = 1;
    while (col <= columns) {
        const auto& cell = screen.cell(row, col);
        int width_cells = 1;
        QString glyph;
        if (cell.kind == terminal::CellKind::Lead && col < columns) {
            glyph = decoder_.pair(cell.byte, screen.cell(row, col + 1).byte);
            width_cells = 2;
        } else if (cell.kind == terminal::CellKind::Single) {
            glyph = decoder_.single(cell.byte);
        }
        bool inverse = cell.reverse;
        bool selected = false;
        if (selecting) {
            const int pos = screen.position_of(row, col);
            selected = pos >= sel_begin && pos < sel_end;
        }
        const bool cursor_here = cursor_row && screen.cursor_column() >= col &&
                                 screen.cursor_column() < col + width_cells;
        if (cursor_here && focused) inverse = !inverse;

        // Plain ASCII cells of one look go out as one string when the font's
        // advances are exact.
        int run = width_cells;
        if (exact_runs_ && width_cells == 1 && !cursor_here && !selected &&
            static_cast<unsigned char>(cell.byte) < 0x80) {
            while (col + run <= columns) {
                const auto& next = screen.cell(row, col + run);
                if (next.kind != terminal::CellKind::Single ||
                    static_cast<unsigned char>(next.byte) >= 0x80 || next.reverse != cell.reverse)
                    break;
                if (cursor_row && screen.cursor_column() == col + run) break;
                if (selecting) {
                    const int pos = screen.position_of(row, col + run);
                    if (pos >= sel_begin && pos < sel_end) break;
                }
                glyph += decoder_.single(next.byte);
                ++run;
            }
        }
        const QRect rect((col - 1) * cell_width_, y, run * cell_width_, row_height_);
        if (inverse || selected) painter.fillRect(rect, selected ? kSelection : kInk);
        if (!glyph.trimmed().isEmpty()) {
            painter.setPen(inverse && !selected ? kPaper : kInk);
            painter.drawText(QPoint(rect.left(), y + ascent_), glyph);
        }
        if (cursor_here && !focused) {
            painter.setPen(kInk);
            painter.drawRect(rect.adjusted(0, 0, -1, -1));
        }
        col += run;
    }
}

QPoint TerminalView::cell_at(const QPoint& pos) const {
    const auto& screen = term_.screen();
    const int x = pos.x() + horizontalScrollBar()->value();
    const int col = std::clamp(x / cell_width_ + 1, 1, screen.columns());
    const int row =
        std::clamp(screen.view_top() + std::max(pos.y(), 0) / row_height_, 1, screen.rows());
    return {col, row};
}

void TerminalView::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton) return;
    const QPoint cell = cell_at(event->position().toPoint());
    selection_anchor_ = term_.screen().position_of(cell.y(), cell.x());
    term_.set_SelStart(selection_anchor_);
    term_.set_SelLength(0);
}

void TerminalView::mouseMoveEvent(QMouseEvent* event) {
    if (selection_anchor_ < 0 || !(event->buttons() & Qt::LeftButton)) return;
    const QPoint cell = cell_at(event->position().toPoint());
    const int pos = term_.screen().position_of(cell.y(), cell.x());
    // The cell under the pointer belongs to the selection, whichever way it goes.
    const int begin = std::min(selection_anchor_, pos);
    const int end = std::max(selection_anchor_, pos) + 1;
    term_.set_SelStart(begin);
    term_.set_SelLength(end - begin);
}

void TerminalView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) selection_anchor_ = -1;
}

bool TerminalView::focusNextPrevChild(bool) {
    return false;
}  // Tab belongs to the terminal

void TerminalView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TerminalView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void TerminalView::type_bytes(const std::string& bytes) {
    for (char byte : bytes) {
        char key = byte;
        if (term_.OnKeyPress) term_.OnKeyPress(key);
    }
}

void TerminalView::keyPressEvent(QKeyEvent* event) {
    const int vk_code = virtual_key_of_event(event->key(), event->text());
    const auto shift = shift_state(event->modifiers());
    if (vk_code != 0 && term_.OnKeyDown) {
        int key = vk_code;
        term_.OnKeyDown(key, shift);
    }
    type_bytes(key_press_bytes(event->key(), event->modifiers(), event->text()));
    event->accept();
}

void TerminalView::keyReleaseEvent(QKeyEvent* event) {
    if (event->isAutoRepeat()) return;
    const int vk_code = virtual_key_of_event(event->key(), event->text());
    if (vk_code != 0 && term_.OnKeyUp) {
        int key = vk_code;
        term_.OnKeyUp(key, shift_state(event->modifiers()));
    }
    event->accept();
}

void TerminalView::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty()) {
        type_bytes(key_press_bytes(0, Qt::NoModifier, event->commitString()));
    }
    event->accept();
}

}  // namespace qvt::gui
