// Message boxes, file dialogs and the clipboard on Qt widgets.
//
// How it works: message and dialog texts of the core are UTF-8 (file names in
// them are UTF-8 already, and controller text is converted before it goes into
// one), so they are shown as UTF-8; chosen file names go back in the file
// system's encoding (UTF-8 here), since they name files on this machine. The
// clipboard carries terminal text and is Shift-JIS on the core's side.
// The dialogs are modal: Qt runs a nested event loop, so serial arrivals and
// timers go on meanwhile.
//
// Automation: when the environment variable QVTW2K_MESSAGE_LOG names a file,
// no message box is shown. Each one is appended to that file as one UTF-8
// line, caption and text separated by a tab (CR, LF, tab and backslash written
// as \r, \n, \t and \\), and answered at once with its default button (OK or
// Yes); a file dialog is logged the same way and cancelled. Scripted runs and
// end-to-end tests see every message and never wait for a hand on the mouse.
#pragma once

#include <QString>
#include <QWidget>
#include <string>

#include "core/platform/clipboard.h"
#include "core/platform/dialogs.h"

namespace qvt::gui {

// Terminal and controller text (Shift-JIS) for display and back.
QString from_sjis(const std::string& bytes);
std::string to_sjis(const QString& text);

// The filter text of a file dialog ("Program (*.Q2K);;All (*.*)").
QString filter_text(const std::vector<std::pair<std::string, std::string>>& filters);
// The default extension appended to a chosen name without one ("x" -> "x.Q2K").
QString with_default_extension(const QString& path, const std::string& extension);

// The message log of QVTW2K_MESSAGE_LOG, or an empty text when boxes are shown.
QString message_log_path();
// One logged line's text: the escapes above applied.
QString message_log_line(const QString& caption, const QString& text);
// Appends the box to the message log; false (and nothing written) when no log is set.
bool log_message_box(const QString& caption, const QString& text);

class QtDialogs : public platform::Dialogs {
  public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void set_parent(QWidget* parent) { parent_ = parent; }

    platform::MsgResult MessageBox(const std::string& caption, const std::string& text,
                                   platform::MsgIcon icon, platform::MsgButtons buttons) override;
    bool FileDialog(const platform::FileDialogRequest& request, std::string& path) override;

  private:
    QWidget* parent_;
};

class QtClipboard : public platform::Clipboard {
  public:
    std::string text() const override;
    void set_text(const std::string& text) override;
};

}  // namespace qvt::gui
