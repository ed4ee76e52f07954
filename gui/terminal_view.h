// The widget that shows the terminal control's screen and takes its keys.
//
// How it works: the cells are drawn on a fixed grid in a monospaced Japanese
// font; the cell width is the advance of a half-width character and a kanji
// (a lead/trail cell pair) always covers exactly two cells, whatever its glyph
// advance. Data can arrive thousands of times a second, so a change of the
// screen only arms a 16 ms single-shot timer (when none is pending) and the
// repaint happens when it fires: at most about 60 paints a second.
//
// The vertical scroll bar moves the screen's view over the 200 grid rows;
// mouse drags become the control's SelStart/SelLength; keys leave as the
// control's OnKeyDown / OnKeyPress / OnKeyUp with Windows virtual-key codes.
#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QTimer>
#include <functional>

#include "gui/sjis_text.h"

namespace qvt::gui {

class QtTerminalControl;

// The font the terminal draws with: the first installed of a list of
// monospaced Japanese families, else the system's fixed font.
QFont choose_terminal_font(int point_size);

class TerminalView : public QAbstractScrollArea {
    Q_OBJECT

  public:
    static constexpr int kRepaintIntervalMs = 16;
    // The height a row of the control's grid counts in pixels (ScrollRows).
    static constexpr int kRowPixels = 18;

    explicit TerminalView(QtTerminalControl& term, QWidget* parent = nullptr);

    // Called with the viewport height in pixels after every resize.
    std::function<void(int height)> on_resized;

    int cell_width() const { return cell_width_; }
    int row_height() const { return row_height_; }
    const QFont& terminal_font() const { return font_; }
    quint64 paint_count() const { return paint_count_; }
    bool repaint_pending() const { return repaint_timer_.isActive(); }
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool focusNextPrevChild(bool next) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void schedule_repaint();
    void repaint_now();
    void apply_font(int point_size);
    void sync_scroll_bars();
    // Grid (row, column) under a viewport point, clamped to the grid.
    QPoint cell_at(const QPoint& pos) const;
    void type_bytes(const std::string& bytes);
    void paint_row(QPainter& painter, int row, int y);

    QtTerminalControl& term_;
    SjisDecoder decoder_;
    QFont font_;
    int font_size_ = 0;
    int cell_width_ = 8;
    int row_height_ = kRowPixels;
    int ascent_ = 12;
    bool exact_runs_ = false;  // runs of ASCII may be drawn as one string
    QTimer repaint_timer_;
    quint64 paint_count_ = 0;
    bool syncing_ = false;
    int selection_anchor_ = -1;
};

}  // namespace qvt::gui
