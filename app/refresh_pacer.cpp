#include "app/refresh_pacer.h"

#include <algorithm>

namespace kelvor {

namespace {

// A refresh may take one part in this many of the time.
constexpr int Share = 20;

} // namespace

bool RefreshPacer::Due(Clock::time_point now, Clock::duration minimumGap) const {
    return !refreshed_ || now - lastEnd_ >= std::max(minimumGap, lastCost_ * (Share - 1));
}

void RefreshPacer::Refreshed(Clock::time_point start, Clock::time_point end) {
    refreshed_ = true;
    lastEnd_ = end;
    lastCost_ = end - start;
}

} // namespace kelvor
