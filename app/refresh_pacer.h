#pragma once

#include <chrono>

namespace kelvor {

// When views that a run of exports keeps in memory are brought up to date on the screen: not
// sooner than a given gap after the last time, and never so often that bringing them up to date
// takes more than a twentieth of the time. It is the controls, not the exports, that are slow.
class RefreshPacer {
public:
    using Clock = std::chrono::steady_clock;

    bool Due(Clock::time_point now, Clock::duration minimumGap) const;
    void Refreshed(Clock::time_point start, Clock::time_point end);

private:
    bool refreshed_ = false;
    Clock::time_point lastEnd_{};
    Clock::duration lastCost_{};
};

} // namespace kelvor
