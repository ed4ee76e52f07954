// GUI tests run without a screen unless one is asked for: the offscreen
// platform draws into memory, so paints and key events behave as on a desktop.
// The application is the program's own, so errors escaping a handler are
// caught as in a run; their boxes go to a message log instead of waiting for
// a click nobody makes, and whatever landed there is printed at the end.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "gui/application.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    QTemporaryDir log_dir;
    const QString log_path = log_dir.filePath(QStringLiteral("messages.log"));
    setenv("QVTW2K_MESSAGE_LOG", log_path.toLocal8Bit().constData(), 0);
    qvt::gui::Application app(argc, argv);
    const int status = RUN_ALL_TESTS();
    QFile log(log_path);
    if (log.open(QIODevice::ReadOnly) && log.size() > 0) {
        std::fprintf(stderr, "Message boxes no test expected:\n%s\n", log.readAll().constData());
    }
    return status;
}
