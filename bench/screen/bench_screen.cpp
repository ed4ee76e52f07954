// Feeds the screen what it sees most (long program listings) and what is
// hardest on the parser (escape-dense redraws), in receive-sized chunks, and
// prints the throughput beside libvterm's on the same bytes.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

#include "core/terminal/screen.h"

#ifdef QVT_HAVE_VTERM
#include <vterm.h>
#endif

namespace {

constexpr std::size_t kTarget = 10u << 20;
constexpr std::size_t kChunk = 4096;
constexpr int kRepeats = 3;  // ours; libvterm is slow enough to time once
constexpr int kColumns = 150;
constexpr int kRows = 200;

std::string listing() {
    static const char* const statements[] = {
        "A=A+1        ' comment",
        "IF A>100 THEN GOTO *LOOP  ' limit reached",
        "MOVE P1,P2 SPEED=50",
        "PRINT \"X=\";X;\" Y=\";Y",
        "FOR I=1 TO 10 : OUT 20+I,1 : NEXT I",
        "WAIT IN(3)=1 TIME=500    ' sensor",
        "*LOOP",
        "GOSUB *HOME : B=B*2-1",
    };
    std::string out;
    out.reserve(kTarget + 128);
    char line[128];
    for (int n = 10; out.size() < kTarget; n += 10) {
        const char* s = statements[(n / 10) % 8];
        const int len = std::snprintf(line, sizeof line, "%5d\t%s %d\r\n", n % 65530, s, n % 97);
        out.append(line, static_cast<std::size_t>(len));
    }
    return out;
}

std::string escape_dense() {
    static const char* const pieces[] = {
        "\x1b[7m#?\x1b[0m\x1b[0K",
        "\r\n",
        "\x1b[3A",
        "LIST 10",
        "\x1b[0K",
        "\x1b[2C",
        "X=1",
        "\x1b[1K",
        "\x1b[B",
        "\x1b[D",
        "ok",
        "\r\n\x1b[0K#",
        "\x1b[12;40H",
        "RUN",
        "\x1b[J",
        "\x1b[5C",
        "\t",
        "\x1b[7m",
        "ERR",
        "\x1b[m",
        "\x1b[1A",
        "\r",
        "\x1b[K",
        "\n",
    };
    std::string out;
    out.reserve(kTarget + 64);
    for (std::size_t i = 0; out.size() < kTarget; ++i)
        out += pieces[(i * 7 + i / 24) % 24];
    return out;
}

template <typename Feed>
double best_mb_per_s(const std::string& data, int repeats, Feed&& feed) {
    double best = 0;
    for (int r = 0; r < repeats; ++r) {
        const auto start = std::chrono::steady_clock::now();
        feed(data);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::max(best, static_cast<double>(data.size()) / (1 << 20) / took.count());
    }
    return best;
}

double ours(const std::string& data) {
    std::size_t check = 0;
    const double mbs = best_mb_per_s(data, kRepeats, [&](const std::string& bytes) {
        qvt::terminal::Screen screen(kColumns, kRows);
        screen.set_scroll_rows(30);
        const std::string_view all(bytes);
        for (std::size_t pos = 0; pos < all.size(); pos += kChunk) {
            screen.write(all.substr(pos, kChunk));
        }
        check += screen.text().size();
    });
    return check > 0 ? mbs : 0;
}

#ifdef QVT_HAVE_VTERM
double theirs(const std::string& data) {
    return best_mb_per_s(data, 1, [](const std::string& bytes) {
        VTerm* vt = vterm_new(kRows, kColumns);
        VTermScreen* screen = vterm_obtain_screen(vt);
        vterm_screen_reset(screen, 1);
        for (std::size_t pos = 0; pos < bytes.size(); pos += kChunk) {
            vterm_input_write(vt, bytes.data() + pos, std::min(kChunk, bytes.size() - pos));
        }
        vterm_free(vt);
    });
}
#endif

}  // namespace

int main() {
    struct Input {
        const char* name;
        std::string data;
    };
    const Input inputs[] = {{"program listing", listing()}, {"escape-dense", escape_dense()}};
    std::printf("screen %dx%d, %zu-byte writes, ours best of %d\n", kColumns, kRows, kChunk,
                kRepeats);
    bool met = true;
    bool compared = false;
    for (const Input& input : inputs) {
        const double our_mbs = ours(input.data);
        std::printf("%-16s %5.1f MB  ours %8.1f MB/s", input.name,
                    static_cast<double>(input.data.size()) / (1 << 20), our_mbs);
#ifdef QVT_HAVE_VTERM
        const double their_mbs = theirs(input.data);
        std::printf("  libvterm %8.1f MB/s  (x%.1f)", their_mbs, our_mbs / their_mbs);
        met = met && our_mbs >= their_mbs;
        compared = true;
#endif
        std::printf("\n");
    }
    if (compared) {
        std::printf("goal: ours >= libvterm: %s\n", met ? "met" : "NOT met");
    } else {
        std::printf("goal: ours >= libvterm: not measured (libvterm not available)\n");
    }
    return 0;
}
