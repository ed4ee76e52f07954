// The terminal view: repaint coalescing, selection, keys, Shift-JIS.
#include <gtest/gtest.h>

#include <QTest>

#include "gui/key_map.h"
#include "gui/qt_terminal_control.h"
#include "gui/sjis_text.h"
#include "gui/terminal_view.h"
#include "tests/core/link/table_ports.h"
#include "tests/gui/gui_test_support.h"

namespace qvt::gui {
namespace {

using test::TablePorts;

class ViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        term_.set_Columns(150);
        term_.set_Rows(200);
        view_.resize(800, 18 * 20);
        view_.show();
        term_.set_ScrollRows(20);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view_));
        view_.setFocus();
        test::pump_for(50);
    }

    TablePorts ports_;
    QtTerminalControl term_{ports_};
    TerminalView view_{term_};
};

// A write is painted soon, by a repaint scheduled rather than done at once
// (the rate under a flood of writes is a benchmark's matter).
TEST_F(ViewTest, WritesArePainted) {
    const auto before = view_.paint_count();
    term_.set_Disp("X");
    EXPECT_TRUE(view_.repaint_pending());
    EXPECT_TRUE(test::pump_until([&] { return view_.paint_count() > before; }, 500));
}

TEST_F(ViewTest, MouseDragSelectsFromAnchorToPointer) {
    term_.set_Disp("ABCDEFGH\r\n12345678");
    const int w = view_.cell_width();
    const int h = view_.row_height();
    QWidget* vp = view_.viewport();
    QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(w * 2 + 1, h / 2));
    QMouseEvent move(QEvent::MouseMove, QPointF(w * 5 + 1, h / 2),
                     vp->mapToGlobal(QPointF(w * 5 + 1, h / 2)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(vp, &move);
    QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(w * 5 + 1, h / 2));
    EXPECT_EQ(term_.SelText(), "CDEF");
}

TEST_F(ViewTest, KeysReachTheControlAsVirtualKeysAndBytes) {
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* text;  // what the platform puts into the key event
        int vk;
        std::string bytes;
    } cases[] = {
        {Qt::Key_Return, Qt::NoModifier, "\r", 13, "\r"},
        {Qt::Key_Enter, Qt::KeypadModifier, "\r", 13, "\r"},
        {Qt::Key_Backspace, Qt::NoModifier, "\b", 8, "\b"},
        {Qt::Key_A, Qt::NoModifier, "a", 65, "a"},
        {Qt::Key_A, Qt::ShiftModifier, "A", 65, "A"},
        {Qt::Key_A, Qt::ControlModifier, "\x01", 65, "\x01"},
        {Qt::Key_C, Qt::ControlModifier, "", 67, "\x03"},  // some platforms give no text
        {Qt::Key_Left, Qt::NoModifier, "", 37, ""},
        {Qt::Key_Delete, Qt::NoModifier, "\x7f", 46, ""},
        {Qt::Key_F1, Qt::NoModifier, "", 112, ""},
    };
    std::vector<std::pair<int, platform::ShiftState>> downs, ups;
    std::string typed;
    // Modifier keys come as key events of their own (16, 17); only the key itself counts here.
    auto modifier = [](int key) { return key == 16 || key == 17 || key == 18; };
    term_.OnKeyDown = [&](int& key, platform::ShiftState s) {
        if (!modifier(key)) downs.emplace_back(key, s);
    };
    term_.OnKeyUp = [&](int& key, platform::ShiftState s) {
        if (!modifier(key)) ups.emplace_back(key, s);
    };
    term_.OnKeyPress = [&](char& key) { typed += key; };
    for (const auto& c : cases) {
        downs.clear();
        ups.clear();
        typed.clear();
        const QString text = QString::fromLatin1(c.text);
        QKeyEvent press(QEvent::KeyPress, c.key, c.modifiers, text);
        QKeyEvent release(QEvent::KeyRelease, c.key, c.modifiers, text);
        QCoreApplication::sendEvent(&view_, &press);
        QCoreApplication::sendEvent(&view_, &release);
        const std::vector<std::pair<int, platform::ShiftState>> once{
            {c.vk,
             {c.modifiers.testFlag(Qt::ShiftModifier), c.modifiers.testFlag(Qt::ControlModifier)}}};
        EXPECT_EQ(downs, once) << c.vk;
        EXPECT_EQ(ups, once) << c.vk;
        EXPECT_EQ(typed, c.bytes) << c.vk;
    }
    EXPECT_TRUE(view_.hasFocus());
}

TEST(ShiftJis, RowDecodesKanjiOnceAndKatakanaAsSingleCellsAndTypedTextIsEncoded) {
    TablePorts ports;
    QtTerminalControl term(ports);
    term.set_Columns(40);
    // "A", 亜 (88 9F), half-width ｱ (B1), "B", 漢字 (8A BF 8E 9A)
    term.set_Disp(
        "A\x88\x9f\xb1"
        "B\x8a\xbf\x8e\x9a");
    const auto& screen = term.screen();
    SjisDecoder decoder;
    EXPECT_EQ(decoder.row_text(screen, 1).trimmed(), QStringLiteral("A亜ｱB漢字"));
    EXPECT_EQ(decoder.pair('\x82', '\xa0'), QStringLiteral("あ"));
    EXPECT_EQ(decoder.pair('\xff', '\xff'), QString(QChar(0xFFFD)));  // not Shift-JIS: one mark
    // What is typed beyond ASCII goes out as Shift-JIS.
    EXPECT_EQ(key_press_bytes(0, Qt::NoModifier, QStringLiteral("亜")), "\x88\x9f");
    EXPECT_EQ(key_press_bytes(0, Qt::NoModifier, QStringLiteral("ｱ")), "\xb1");
    EXPECT_EQ(key_press_bytes(Qt::Key_Left, Qt::NoModifier, QString(QChar(0xF702))), "");
}

}  // namespace
}  // namespace qvt::gui
