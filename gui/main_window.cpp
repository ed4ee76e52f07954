#include "gui/main_window.h"

#include <QStatusBar>

namespace qvt::gui {

namespace {

std::string without_leading_prompts(std::string line) {
    std::size_t i = 0;
    while (i < line.size() && (line[i] == '#' || line[i] == '?' || line[i] == ' '))
        ++i;
    return line.substr(i);
}

}  // namespace

MainWindow::MainWindow(link::SharedState& state, QtTerminalControl& term, QtEventPump& pump,
                       QWidget* parent)
    : QMainWindow(parent),
      state_(state),
      term_(term),
      pump_(pump),
      dialogs_(this),
      dialogue_(state, term, pump),
      receive_(state, term, *this),
      request_(state, term, pump, dialogs_, *this) {
    setWindowTitle(QStringLiteral("QVTW2K"));
    view_ = new TerminalView(term_, this);
    setCentralWidget(view_);
    view_->on_resized = [this](int height) {
        term_.set_ScrollRows(height / TerminalView::kRowPixels);
    };
    request_edit_ = new QLineEdit(this);
    request_edit_->hide();

    panel_port_ = new QLabel(this);
    panel_rx_ = new QLabel(QStringLiteral("0"), this);
    panel_rx_->setMinimumWidth(50);
    panel_lamp_ = new QLabel(this);
    panel_lamp_->setFixedWidth(16);
    panel_lamp_->setAutoFillBackground(true);
    panel_hint_ = new QLabel(this);
    statusBar()->addWidget(panel_port_);
    statusBar()->addWidget(panel_rx_);
    statusBar()->addWidget(panel_lamp_);
    statusBar()->addWidget(panel_hint_, 1);
    set_lamp(Qt::yellow);

    term_.OnComm = [this] { on_comm(); };
    term_.OnKeyPress = [this](char& key) { on_key_press(key); };
    connect(&term_, &QtTerminalControl::portClosedByError, this, &MainWindow::on_port_lost);
    resize(view_->sizeHint() + QSize(0, statusBar()->sizeHint().height()));
    view_->setFocus();
}

MainWindow::~MainWindow() {
    term_.OnComm = nullptr;
    term_.OnKeyPress = nullptr;
}

void MainWindow::set_lamp(const QColor& color) {
    QPalette palette = panel_lamp_->palette();
    palette.setColor(QPalette::Window, color);
    panel_lamp_->setPalette(palette);
}

void MainWindow::set_port_caption(const QString& caption) {
    panel_port_->setText(caption);
}

void MainWindow::set_request_text(const std::string& text) {
    request_edit_->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    request_.MaskEdit1Change(text);
}

void MainWindow::on_comm() {
    try {
        receive_.PDQComm1Comm();
    } catch (const platform::TerminalError& e) {
        panel_hint_->setText(QString::fromLocal8Bit(e.what()));
    }
}

void MainWindow::on_key_press(char& key) {
    if (!term_.PortOpen()) return;
    // Until the screen editor arrives every typed byte goes to the controller,
    // whose echo shows it.
    term_.set_Output(std::string(1, key));
}

void MainWindow::on_port_lost(int comm_event) {
    set_lamp(Qt::gray);
    panel_hint_->setText(
        QStringLiteral("Port closed: the device reported an error (%1)").arg(comm_event));
    setWindowTitle(QStringLiteral("QVTW2K (disconnected)"));
}

void MainWindow::termmode_menu_enable() {
    set_lamp(Qt::green);
    panel_hint_->setText(QStringLiteral("Ready"));
}

void MainWindow::show_rx_chunk(int n) {
    panel_rx_->setText(QString::number(n));
}

void MainWindow::Load68k() {
    dialogs_.MessageBox("QVTW2K", "Program load is not available in this window yet.",
                        platform::MsgIcon::Information, platform::MsgButtons::Ok);
}

void MainWindow::CommKeyDown(int& key, platform::ShiftState) {
    if (key != 13 || !term_.PortOpen()) return;
    // Enter sends the line under the cursor; the controller's echo of it is
    // hidden up to its CR, since the line is already on the screen.
    std::string line;
    dialogue_.GetLineStr(term_.CursorRow(), line);
    line = without_leading_prompts(line);
    state_.echo_skip = 1;
    state_.term_mode = 1;
    set_lamp(Qt::red);
    term_.set_InBufferCount(0);
    term_.set_Output(line + "\r");
    key = 0;
}

}  // namespace qvt::gui
