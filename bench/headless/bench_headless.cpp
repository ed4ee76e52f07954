// Headless program transfers as a nightly job runs them: `qvtw2k --load` and
// `qvtw2k --save` of a 5,000-line program against kvbsim pacing its output at
// 115200 baud.
//
// Each run keeps a session log. Its first TX line gives the time from the
// process's start to its first byte on the wire; from that byte to the
// process's exit is the operation, held against the wire time of every byte
// in the log (both directions at 10 bits a byte; kvbsim paces its own output,
// the host's bytes on a pty are not paced) plus the fixed pauses: the stop at
// connect (500 ms), and the save's 250 + 500 + 1000 ms or the load's
// 500 + 500 + 1000 ms.
#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <string>

#include "bench/transfer/bench_common.h"
#include "core/log/session_log.h"

namespace {

using namespace qvt;

double ms_of_day(const log::LocalTime& t) {
    return ((t.hour * 60.0 + t.minute) * 60.0 + t.second) * 1000.0 + t.millisecond;
}

// "2026-12-06 22:41:05.123 ..." -> milliseconds of the day.
double ms_of_day(const std::string& line) {
    return ((std::stoi(line.substr(11, 2)) * 60.0 + std::stoi(line.substr(14, 2))) * 60.0 +
            std::stoi(line.substr(17, 2))) *
               1000.0 +
           std::stoi(line.substr(20, 3));
}

// The bytes between the quotes of a log line, unescaped, counted.
std::uint64_t bytes_in(const std::string& line) {
    std::uint64_t n = 0;
    for (std::size_t i = line.find('"') + 1; i < line.size() && line[i] != '"'; ++i, ++n) {
        if (line[i] == '\\') i += line[i + 1] == 'x' ? 3 : 1;
    }
    return n;
}

struct Figures {
    bool ok = false;
    double to_first_byte_ms = 0;
    double operation_ms = 0;
    std::uint64_t bytes = 0;
};

Figures run(const QTemporaryDir& home, const QStringList& args, const std::string& log_path) {
    QProcess app;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("QVTW2K_HOME", home.path());
    app.setProcessEnvironment(env);
    app.setProcessChannelMode(QProcess::ForwardedChannels);
    const double started = ms_of_day(log::local_now());
    app.start(QVT_APP_PATH, args + QStringList{"--log", QString::fromStdString(log_path)});
    app.waitForFinished(600000);
    const double ended = ms_of_day(log::local_now());
    Figures f;
    f.ok = app.exitStatus() == QProcess::NormalExit && app.exitCode() == 0;
    std::ifstream in(log_path);
    double first = -1;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        if (first < 0) first = ms_of_day(line);
        f.bytes += bytes_in(line);
    }
    f.to_first_byte_ms = first - started;
    f.operation_ms = ended - first;
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    const std::string dir = bench::scratch_dir();
    const std::string file = bench::write_program_file(dir + "/in.Q2K");
    QProcess sim;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("QVTW2K_HOME", home.path());
    sim.setProcessEnvironment(env);
    sim.start(QVT_KVBSIM_PATH, {"--program-area", "1048576", "--baud", "115200"});
    sim.waitForReadyRead(5000);
    const QString pty = QString::fromLatin1(sim.readLine().trimmed());
    if (!pty.startsWith("/dev/")) {
        std::fprintf(stderr, "kvbsim did not start\n");
        return 1;
    }

    const Figures load = run(home, {"--port", pty, "--load", QString::fromStdString(file), "--yes"},
                             dir + "/load.log");
    const Figures save =
        run(home, {"--port", pty, "--save", QString::fromStdString(dir + "/out.Q2K")},
            dir + "/save.log");
    sim.terminate();
    sim.waitForFinished(3000);

    bool met = load.ok && save.ok;
    std::printf("Headless program transfers, %d lines, kvbsim paced at %d baud\n", bench::kLines,
                bench::kBaud);
    std::printf("  load %s, %llu bytes; save %s, %llu bytes\n", load.ok ? "done" : "FAILED",
                static_cast<unsigned long long>(load.bytes), save.ok ? "done" : "FAILED",
                static_cast<unsigned long long>(save.bytes));
    std::printf("  start to first byte: load %.0f ms, save %.0f ms\n", load.to_first_byte_ms,
                save.to_first_byte_ms);
    bench::print_ratio("load, first byte to exit", load.operation_ms,
                       bench::wire_ms(load.bytes) + 500 + 500 + 500 + 1000, &met);
    bench::print_ratio("save, first byte to exit", save.operation_ms,
                       bench::wire_ms(save.bytes) + 500 + 250 + 500 + 1000, &met);
    std::filesystem::remove_all(dir);
    std::printf("  %s\n", met ? "goal met" : "NOT met");
    return met ? 0 : 1;
}
