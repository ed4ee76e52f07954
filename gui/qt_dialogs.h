// Message boxes, file dialogs and the clipboard on Qt widgets.
//
// How it works: texts arrive as Shift-JIS bytes and are decoded for display
// (ASCII passes through unchanged); chosen file names go back as the local
// 8-bit encoding of the file system, since they name files on this machine.
// The dialogs are modal: Qt runs a nested event loop, so serial arrivals and
// timers go on meanwhile.
#pragma once

#include <QString>
#include <QWidget>
#include <string>

#include "core/platform/clipboard.h"
#include "core/platform/dialogs.h"

namespace qvt::gui {

QString from_sjis(const std::string& bytes);
std::string to_sjis(const QString& text);

// The filter text of a file dialog ("Program (*.Q2K);;All (*.*)").
QString filter_text(const std::vector<std::pair<std::string, std::string>>& filters);
// The default extension appended to a chosen name without one ("x" -> "x.Q2K").
QString with_default_extension(const QString& path, const std::string& extension);

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
