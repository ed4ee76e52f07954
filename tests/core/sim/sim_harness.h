// Drives the simulated controller under a virtual clock for the tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sim/controller.h"

namespace kvb::sim::testing {

struct Harness {
    explicit Harness(Options options = {}) : controller(std::move(options)) {}

    // Sends bytes at the current time and returns what is readable then.
    std::string send(std::string_view bytes) {
        controller.feed(bytes, now);
        return controller.read(now);
    }
    // Sends a line, CR appended.
    std::string line(std::string_view text) { return send(std::string(text) + "\r"); }
    // Advances the clock to t and returns the output due by then.
    std::string at(std::int64_t t) {
        now = t;
        return controller.read(now);
    }
    // Follows next_due_ms() until the controller is quiet or the limit is reached.
    std::string drain(std::int64_t limit_ms) {
        std::string out = controller.read(now);
        while (auto due = controller.next_due_ms()) {
            if (*due > limit_ms) break;
            now = std::max(now, *due);
            out += controller.read(now);
        }
        return out;
    }

    Controller controller;
    std::int64_t now = 0;
};

}  // namespace kvb::sim::testing
