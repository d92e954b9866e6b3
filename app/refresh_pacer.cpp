#include "app/refresh_pacer.h"

#include <algorithm>

namespace kelvor {

namespace {

// A refresh may take one part in this many of the time.
constexpr int Share = 40;
constexpr std::chrono::seconds BatchFirstGap(1);

} // namespace

void RefreshPacer::BeginBatch(Clock::time_point now) {
    *this = RefreshPacer();
    notBefore_ = now + BatchFirstGap;
}

bool RefreshPacer::Due(Clock::time_point now, Clock::duration minimumGap) const {
    if (now < notBefore_)
        return false;
    return !refreshed_ || now - lastEnd_ >= std::max(minimumGap, lastCost_ * (Share - 1));
}

void RefreshPacer::Refreshed(Clock::time_point start, Clock::time_point end) {
    refreshed_ = true;
    lastEnd_ = end;
    lastCost_ = end - start;
}

} // namespace kelvor
