#include "tests/support/virtual_event_pump.h"

#include <algorithm>
#include <string>
#include <utility>

namespace qvt::test {

struct VirtualEventPump::TimerSlot {
    bool active = false;
    bool repeating = false;
    Millis due = 0;
    Millis interval = 0;
    std::uint64_t seq = 0;
    std::function<void()> callback;
};

namespace {

constexpr Millis kDefaultTimeLimit = 60LL * 60 * 1000;
// Dispatch rounds at one instant in which a source claims to be due and
// delivers nothing, before the pump calls it a bug in the source.
constexpr int kMaxIdleRounds = 10000;

class VirtualTimer : public platform::Timer {
  public:
    VirtualTimer(const VirtualEventPump& pump, std::shared_ptr<VirtualEventPump::TimerSlot> slot)
        : pump_(pump), slot_(std::move(slot)) {}
    ~VirtualTimer() override { slot_->active = false; }
    VirtualTimer(const VirtualTimer&) = delete;
    VirtualTimer& operator=(const VirtualTimer&) = delete;

    void start(Millis interval_ms, bool repeating) override {
        slot_->active = true;
        slot_->repeating = repeating;
        slot_->interval = std::max<Millis>(interval_ms, 0);
        slot_->due = pump_.now_ms() + slot_->interval;
    }
    void stop() override { slot_->active = false; }
    bool active() const override { return slot_->active; }
    void set_callback(std::function<void()> on_timeout) override {
        slot_->callback = std::move(on_timeout);
    }

  private:
    const VirtualEventPump& pump_;
    std::shared_ptr<VirtualEventPump::TimerSlot> slot_;
};

}  // namespace

VirtualEventPump::VirtualEventPump() : time_limit_(kDefaultTimeLimit) {}

VirtualEventPump::~VirtualEventPump() = default;

std::unique_ptr<platform::Timer> VirtualEventPump::create_timer() {
    auto slot = std::make_shared<TimerSlot>();
    slot->seq = ++seq_;
    std::erase_if(timers_, [](const std::weak_ptr<TimerSlot>& w) { return w.expired(); });
    timers_.push_back(slot);
    return std::make_unique<VirtualTimer>(*this, std::move(slot));
}

void VirtualEventPump::post(std::function<void()> fn) {
    post_at(now_, std::move(fn));
}

void VirtualEventPump::post_at(Millis t, std::function<void()> fn) {
    posted_.push_back(Posted{t, ++seq_, std::move(fn)});
}

void VirtualEventPump::add_source(VirtualEventSource* source) {
    if (std::find(sources_.begin(), sources_.end(), source) == sources_.end()) {
        sources_.push_back(source);
    }
}

void VirtualEventPump::remove_source(VirtualEventSource* source) {
    std::erase(sources_, source);
}

int VirtualEventPump::active_timers() const {
    int n = 0;
    for (const auto& w : timers_) {
        if (auto slot = w.lock(); slot && slot->active) ++n;
    }
    return n;
}

void VirtualEventPump::process_pending() {
    dispatch_due();
}

// Everything due at the current instant, in the documented order. Handlers may
// re-enter the pump and move the clock; each item is re-checked before it runs.
bool VirtualEventPump::dispatch_due() {
    bool any = false;

    std::vector<Posted> due_posts;
    for (auto it = posted_.begin(); it != posted_.end();) {
        if (it->due <= now_) {
            due_posts.push_back(std::move(*it));
            it = posted_.erase(it);
        } else {
            ++it;
        }
    }
    std::sort(due_posts.begin(), due_posts.end(), [](const Posted& a, const Posted& b) {
        return a.due != b.due ? a.due < b.due : a.seq < b.seq;
    });
    for (auto& p : due_posts) {
        any = true;
        p.fn();
    }

    const std::vector<VirtualEventSource*> sources = sources_;
    for (VirtualEventSource* s : sources) {
        if (std::find(sources_.begin(), sources_.end(), s) == sources_.end()) continue;
        const auto due = s->next_due_ms();
        if (due && *due <= now_ && s->dispatch(now_)) {
            any = true;
        }
    }

    std::vector<std::shared_ptr<TimerSlot>> due_timers;
    for (const auto& w : timers_) {
        if (auto slot = w.lock(); slot && slot->active && slot->due <= now_) {
            due_timers.push_back(std::move(slot));
        }
    }
    std::sort(due_timers.begin(), due_timers.end(), [](const auto& a, const auto& b) {
        return a->due != b->due ? a->due < b->due : a->seq < b->seq;
    });
    for (const auto& slot : due_timers) {
        // An earlier handler may have stopped or restarted this timer.
        if (!slot->active || slot->due > now_) continue;
        if (slot->repeating) {
            slot->due = now_ + std::max<Millis>(slot->interval, 1);
        } else {
            slot->active = false;
        }
        any = true;
        if (slot->callback) {
            const auto callback = slot->callback;  // the handler may replace it
            callback();
        }
    }
    return any;
}

std::optional<Millis> VirtualEventPump::next_event_time() const {
    std::optional<Millis> next;
    auto consider = [&next](Millis t) {
        if (!next || t < *next) next = t;
    };
    for (const auto& p : posted_)
        consider(p.due);
    for (const VirtualEventSource* s : sources_) {
        if (const auto due = s->next_due_ms()) consider(*due);
    }
    for (const auto& w : timers_) {
        if (auto slot = w.lock(); slot && slot->active) consider(slot->due);
    }
    return next;
}

void VirtualEventPump::wait_for_event(Millis deadline_ms) {
    ++wait_calls_;
    if (dispatch_due()) return;
    int idle_rounds = 0;
    for (;;) {
        if (deadline_ms >= 0 && now_ >= deadline_ms) return;
        const auto next = next_event_time();
        Millis target = 0;
        if (next) {
            target = deadline_ms >= 0 ? std::min(*next, deadline_ms) : *next;
        } else if (deadline_ms >= 0) {
            target = deadline_ms;
        } else {
            throw VirtualDeadlock("wait without a deadline at t=" + std::to_string(now_) +
                                  " ms, and nothing could ever happen (no data, no timer)");
        }
        if (target > time_limit_) {
            throw VirtualDeadlock("virtual time limit of " + std::to_string(time_limit_) +
                                  " ms reached while waiting at t=" + std::to_string(now_) + " ms");
        }
        if (target > now_) {
            now_ = target;
        } else if (++idle_rounds > kMaxIdleRounds) {
            throw VirtualDeadlock("an event source stays due at t=" + std::to_string(now_) +
                                  " ms but delivers nothing");
        }
        if (dispatch_due()) return;
    }
}

void VirtualEventPump::run_until(Millis t) {
    process_pending();
    while (now_ < t)
        wait_for_event(t);
}

}  // namespace qvt::test
