#pragma once

#include <chrono>

namespace kelvor {

// When views that a run of exports keeps in memory are brought up to date on the screen: not
// sooner than a given gap after the last time, nor than 39 times as long as the last time took,
// so that refreshes of a steady cost take at most a fortieth of the time. It is the controls, not
// the exports, that are slow.
class RefreshPacer {
public:
    using Clock = std::chrono::steady_clock;

    // A batch begins: its views are first due a second into it, not at once. Laying out the
    // message view costs Wine as long as dozens of exports, and a batch over within a second
    // shows only its end.
    void BeginBatch(Clock::time_point now);
    bool Due(Clock::time_point now, Clock::duration minimumGap) const;
    void Refreshed(Clock::time_point start, Clock::time_point end);

private:
    bool refreshed_ = false;
    Clock::time_point notBefore_{};
    Clock::time_point lastEnd_{};
    Clock::duration lastCost_{};
};

} // namespace kelvor
