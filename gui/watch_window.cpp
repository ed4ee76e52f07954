#include "gui/watch_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QShowEvent>
#include <QStatusBar>
#include <QVBoxLayout>
#include <functional>

#include "gui/fonts.h"
#include "gui/key_map.h"
#include "gui/qt_dialogs.h"

namespace qvt::gui {

namespace {

// The variable field: dropping its list down is an event of the model's
// (the list is sorted first), whether the user clicks the arrow or presses
// Up or Down.
class VariableBox : public QComboBox {
  public:
    using QComboBox::QComboBox;
    std::function<void()> before_popup;
    void showPopup() override {
        if (before_popup) before_popup();
        QComboBox::showPopup();
    }
};

// The desktop's short date and long time. A long time format that names the
// time zone is shown without it: the watch stamps wall-clock time.
std::string desktop_date_time() {
    const QLocale locale = QLocale::system();
    QString time_format = locale.timeFormat(QLocale::LongFormat);
    time_format.remove(QRegularExpression(QStringLiteral("\\s*\\bt+\\b")));
    const QString format = locale.dateFormat(QLocale::ShortFormat) + u' ' + time_format.trimmed();
    return to_sjis(locale.toString(QDateTime::currentDateTime(), format));
}

QString display_text(const std::string& bytes) {
    QString text = from_sjis(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

}  // namespace

WatchWindow::WatchWindow(debug::Watch& model, console::Console& console, QWidget* main_window)
    : QWidget(main_window, Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                               Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowCloseButtonHint),
      model_(model),
      console_(console),
      main_window_(main_window) {
    setWindowTitle(QStringLiteral("Variable Watch"));
    setFont(window_font());
    build();
    set_view_hooks();
    model_.on_change = [this] { show_model(); };
    model_.date_time_text = desktop_date_time;
    show_model();
}

WatchWindow::~WatchWindow() {
    model_.on_change = nullptr;
    model_.view = {};
    model_.date_time_text = platform::c_locale_date_time;
}

void WatchWindow::build() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);

    memo_ = new QPlainTextEdit(this);
    memo_->setReadOnly(true);
    QFont fixed = list_font();
    fixed.setPointSize(12);
    memo_->setFont(fixed);
    layout->addWidget(memo_, 1);

    auto* fields = new QHBoxLayout;
    fields->addWidget(new QLabel(QStringLiteral("Var"), this));
    auto* variable = new VariableBox(this);
    variable->before_popup = [this] { model_.ComboBox2DropDown(); };
    variable_ = variable;
    variable_->setEditable(true);
    variable_->setInsertPolicy(QComboBox::NoInsert);
    variable_->setMinimumWidth(160);
    connect(variable_, &QComboBox::editTextChanged, this, [this](const QString& text) {
        if (!updating_) model_.set_variable(to_sjis(text));
    });
    fields->addWidget(variable_, 1);
    const char* commands[] = {"PRINT", "PRX", "PRA"};
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QRadioButton(QString::fromLatin1(commands[i]), this);
        connect(radio, &QRadioButton::clicked, this, [this, i] { model_.set_print_index(i); });
        print_[static_cast<std::size_t>(i)] = radio;
        fields->addWidget(radio);
    }
    fields->addWidget(new QLabel(QStringLiteral("Intval"), this));
    interval_ = new QComboBox(this);
    interval_->setEditable(true);
    interval_->setInsertPolicy(QComboBox::NoInsert);
    interval_->addItems({QStringLiteral("250"), QStringLiteral("500"), QStringLiteral("1000"),
                         QStringLiteral("2000")});
    connect(interval_, &QComboBox::editTextChanged, this, [this](const QString& text) {
        if (!updating_) model_.set_interval(to_sjis(text));
    });
    fields->addWidget(interval_);
    layout->addLayout(fields);

    auto* buttons = new QHBoxLayout;
    repeat_ = new QCheckBox(QStringLiteral("Repeat"), this);
    connect(repeat_, &QCheckBox::clicked, this, [this](bool on) { model_.set_repeat(on); });
    task_mon_ = new QCheckBox(QStringLiteral("Task Mon"), this);
    connect(task_mon_, &QCheckBox::clicked, this, [this](bool on) { model_.set_task_mon(on); });
    buttons->addWidget(repeat_);
    buttons->addWidget(task_mon_);
    buttons->addStretch(1);
    start_ = new QPushButton(QStringLiteral("Start/Stop"), this);
    connect(start_, &QPushButton::clicked, this, [this] { model_.Button4Click(); });
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    connect(cancel, &QPushButton::clicked, this, [this] { close(); });
    auto* back = new QPushButton(QStringLiteral("Back"), this);
    connect(back, &QPushButton::clicked, this, [this] { model_.Button5Click(); });
    auto* copy = new QPushButton(QStringLiteral("Copy"), this);
    connect(copy, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(memo_->toPlainText()); });
    auto* clear = new QPushButton(QStringLiteral("Clear"), this);
    connect(clear, &QPushButton::clicked, this, [this] { model_.Button3Click(); });
    for (QPushButton* button : {start_, cancel, back, copy, clear})
        buttons->addWidget(button);
    layout->addLayout(buttons);

    auto* bar = new QStatusBar(this);
    bar->setSizeGripEnabled(false);
    status_[0] = new QLabel(this);
    status_[0]->setAlignment(Qt::AlignCenter);
    status_[0]->setFixedWidth(80);
    status_[1] = new QLabel(this);
    status_[1]->setFixedWidth(200);
    bar->addWidget(status_[0]);
    bar->addWidget(status_[1]);
    layout->addWidget(bar);

    // The window sees every key of its controls first.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

void WatchWindow::set_view_hooks() {
    debug::WatchView& view = model_.view;
    view.show = [this] {
        show();
        raise();
        activateWindow();
    };
    view.close = [this] { close(); };
    view.activate_main_window = [this] {
        main_window_->raise();
        main_window_->activateWindow();
    };
    view.focus_start_button = [this] { start_->setFocus(); };
    view.drop_variable_list = [this] { variable_->showPopup(); };
    view.main_window_key_down = [this](int& key, platform::ShiftState shift) {
        console_.keyboard.FormKeyDown(key, shift);
    };
    view.terminal_has_focus = [this] {
        return main_window_->isActiveWindow() && console_.shell.focus() == console::Focus::Terminal;
    };
}

void WatchWindow::load_profile(const startup::ProfileValues& profile) {
    model_.load(profile);
    const startup::WindowGeometry& g = profile.watch_window;
    move(g.left, g.top);
    resize(g.width, g.height);
}

void WatchWindow::store_profile(startup::ProfileValues& profile) const {
    model_.store(profile);
    profile.watch_window = {pos().y(), pos().x(), width(), height()};
}

void WatchWindow::show_model() {
    updating_ = true;
    if (model_.memo() != shown_memo_) {
        shown_memo_ = model_.memo();
        memo_->setPlainText(display_text(shown_memo_));
    }
    for (std::size_t panel = 0; panel < status_.size(); ++panel)
        status_[panel]->setText(from_sjis(model_.status_text(static_cast<int>(panel))));
    QStringList items;
    for (const std::string& entry : model_.variable_list())
        items << from_sjis(entry);
    QStringList shown;
    for (int i = 0; i < variable_->count(); ++i)
        shown << variable_->itemText(i);
    if (items != shown) {
        variable_->clear();
        variable_->addItems(items);
    }
    const QString variable = from_sjis(model_.variable());
    if (variable_->currentText() != variable) variable_->setEditText(variable);
    const QString interval = from_sjis(model_.interval());
    if (interval_->currentText() != interval) interval_->setEditText(interval);
    print_[static_cast<std::size_t>(model_.print_index())]->setChecked(true);
    repeat_->setChecked(model_.repeat());
    task_mon_->setChecked(model_.task_mon());
    updating_ = false;
}

void WatchWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) model_.FormShow();
}

void WatchWindow::closeEvent(QCloseEvent* event) {
    model_.FormClose();
    event->accept();
}

void WatchWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange) return;
    if (isActiveWindow()) {
        model_.FormActivate();
    } else if (isVisible()) {
        model_.FormDeactivate();
    }
}

bool WatchWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || watched != QApplication::focusWidget()) {
        return QWidget::eventFilter(watched, event);
    }
    auto* key_event = static_cast<QKeyEvent*>(event);
    int key = virtual_key_of_event(key_event->key(), key_event->text());
    if (key == 0) return false;
    const bool in_variable = watched == variable_ || watched == variable_->lineEdit();
    const bool in_field = in_variable || watched == interval_ || watched == interval_->lineEdit();
    model_.FormKeyDown(key, shift_state(key_event->modifiers()), in_field, in_variable);
    return key == 0;
}

}  // namespace qvt::gui
