// The application object: the one event loop, and the place where an error
// that escaped an event handler ends up.
//
// How it works: an error thrown inside a handler ends that handler; notify()
// catches it and shows its text in a message box, and the loop goes on.
#pragma once

#include <QApplication>
#include <string>

namespace qvt::gui {

class Application : public QApplication {
  public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// True when Qt has somewhere to show windows; otherwise message tells how to get one.
bool display_available(std::string* message);

}  // namespace qvt::gui
