// The application object: the one event loop, and the place where an error
// that escaped an event handler ends up.
//
// How it works: an error thrown inside a handler ends that handler; notify()
// catches it and shows its text in a message box, and the loop goes on. Once
// the program is ending after a vanished port, the errors of waits that the
// closed port cut off are dropped: the user has had the one message that
// matters, and a second box would only keep the program from ending.
#pragma once

#include <QApplication>
#include <functional>
#include <string>
#include <utility>

namespace qvt::gui {

class Application : public QApplication {
  public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // While quiet() holds, escaped errors are not shown; null: always shown.
    void set_errors_quiet(std::function<bool()> quiet) { errors_quiet_ = std::move(quiet); }

  private:
    void show_error(const QString& text);

    std::function<bool()> errors_quiet_;
};

// True when Qt has somewhere to show windows; otherwise message tells how to get one.
bool display_available(std::string* message);

}  // namespace qvt::gui
