// The variable watch polling "PRINT A" every 250 ms for 60 s against kvbsim
// over a pty, on the real Qt event loop: the period of the polls against the
// interval plus the reply's own time, and the CPU the process used meanwhile.
// Between polls the watch is one pending timer and nothing else, so its cost
// must stay far below one percent of a core.
#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "bench/link/bench_support.h"
#include "core/console/main_shell.h"
#include "core/debug/watch.h"

namespace {

class NoDialogs : public qvt::platform::Dialogs {
  public:
    qvt::platform::MsgResult MessageBox(const std::string& caption, const std::string& text,
                                        qvt::platform::MsgIcon,
                                        qvt::platform::MsgButtons) override {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return qvt::platform::MsgResult::Ok;
    }
    bool FileDialog(const qvt::platform::FileDialogRequest&, std::string&) override {
        return false;
    }
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    constexpr int kIntervalMs = 250;
    constexpr int kRunMs = 60000;
    qvt::bench::SimLink link;
    if (!link.ready) return 1;
    std::string reply;
    link.dialogue.CommOut("A=5", reply);

    NoDialogs dialogs;
    qvt::console::MainShell shell(link.state, link.term, link.pump, dialogs);
    qvt::debug::Watch watch({link.state, link.term, link.dialogue, dialogs, shell});

    // A poll starts when it stamps its face line and ends when its text is shown.
    using Clock = std::chrono::steady_clock;
    std::vector<Clock::time_point> starts;
    std::vector<double> reply_ms;
    watch.date_time_text = [&] {
        starts.push_back(Clock::now());
        return qvt::platform::c_locale_date_time();
    };
    std::string shown;
    watch.on_change = [&] {
        if (watch.memo() == shown || watch.memo().empty()) return;
        shown = watch.memo();
        reply_ms.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - starts.back()).count());
    };
    watch.set_variable("A");
    watch.set_repeat(true);
    watch.set_interval(std::to_string(kIntervalMs));

    QTimer end;
    end.setSingleShot(true);
    QObject::connect(&end, &QTimer::timeout, [&] {
        watch.Quit_Watch();
        QCoreApplication::quit();
    });
    const double cpu_before = qvt::bench::cpu_ms();
    const auto wall_before = Clock::now();
    watch.Button4Click();
    end.start(kRunMs);
    QCoreApplication::exec();
    const double wall_ms =
        std::chrono::duration<double, std::milli>(Clock::now() - wall_before).count();
    const double cpu = qvt::bench::cpu_ms() - cpu_before;

    // Each period against what it should be: the interval after the previous
    // poll's own time (its reply and the short read after the prompt).
    std::vector<double> periods;
    std::vector<double> excess;
    for (std::size_t i = 1; i < starts.size() && i <= reply_ms.size(); ++i) {
        const double period =
            std::chrono::duration<double, std::milli>(starts[i] - starts[i - 1]).count();
        periods.push_back(period);
        excess.push_back(period - kIntervalMs - reply_ms[i - 1]);
    }
    const double worst = excess.empty() ? 0.0 : *std::max_element(excess.begin(), excess.end());
    const double percent = 100.0 * cpu / wall_ms;

    std::printf("variable watch, PRINT A every %d ms for %d s, kvbsim over a pty, real Qt loop\n",
                kIntervalMs, kRunMs / 1000);
    std::printf("  polls            %8zu\n", starts.size());
    std::printf("  reply time       %8.1f ms median\n", median(reply_ms));
    std::printf("  period           %8.1f ms median, %.1f ms worst\n", median(periods),
                periods.empty() ? 0.0 : *std::max_element(periods.begin(), periods.end()));
    std::printf("  beyond interval + reply  %6.2f ms median, %.2f ms worst (goal: median < 5 ms)\n",
                median(excess), worst);
    std::printf("  CPU time         %8.1f ms\n", cpu);
    std::printf("  CPU load         %8.3f %% of one core (goal < 1 %%)\n", percent);
    const bool met = !excess.empty() && std::abs(median(excess)) < 5.0 && percent < 1.0;
    std::printf("  %s\n", met ? "goal met" : "NOT met");
    return met ? 0 : 1;
}
