#include "app/refresh_pacer.h"

#include <gtest/gtest.h>

namespace kelvor {
namespace {

using namespace std::chrono_literals;
using Clock = RefreshPacer::Clock;

struct Pace {
    Clock::duration exportCost;
    Clock::duration refreshCost;
    Clock::duration minimumGap;
};

// Twenty seconds of exports, with a refresh after each export that the pacer finds due.
TEST(RefreshPacer, KeepsRefreshesToAFortiethOfTheTimeAndAFewASecond) {
    for (const Pace run : {Pace{2ms, 30ms, 250ms}, Pace{2ms, 1ms, 250ms}, Pace{40ms, 30ms, 0ms},
                           Pace{1ms, 200ms, 250ms}}) {
        RefreshPacer pacer;
        const Clock::time_point begin{};
        Clock::time_point now = begin;
        Clock::duration spent{};
        int refreshes = 0;
        while (now - begin < 20s) {
            now += run.exportCost;
            if (!pacer.Due(now, run.minimumGap))
                continue;
            const Clock::time_point start = now;
            now += run.refreshCost;
            pacer.Refreshed(start, now);
            spent += run.refreshCost;
            ++refreshes;
        }
        const double seconds = std::chrono::duration<double>(now - begin).count();
        const auto refreshMs =
            std::chrono::duration_cast<std::chrono::milliseconds>(run.refreshCost);
        SCOPED_TRACE(testing::Message() << "refresh of " << refreshMs.count() << " ms");
        // A fortieth, and the first refresh at once: 0.03 exactly for the slowest.
        EXPECT_LE(std::chrono::duration<double>(spent).count() / seconds, 0.035);
        EXPECT_GE(refreshes / seconds, run.refreshCost <= 30ms ? 0.8 : 0.1);
        if (run.minimumGap > 0s) {
            EXPECT_LE(refreshes / seconds,
                      1.0 / std::chrono::duration<double>(run.minimumGap).count() + 0.1);
        }
    }
}

// But a batch's first: a second into it, however long the last refresh took.
TEST(RefreshPacer, TheFirstRefreshAndOneAfterALongPauseAreDueAtOnce) {
    RefreshPacer pacer;
    const Clock::time_point start{};
    EXPECT_TRUE(pacer.Due(start, 250ms));
    pacer.Refreshed(start, start + 60ms);
    EXPECT_FALSE(pacer.Due(start + 100ms, 0ms));
    EXPECT_TRUE(pacer.Due(start + 3s, 0ms));
    pacer.Refreshed(start + 3s, start + 4s);
    pacer.BeginBatch(start + 4s);
    EXPECT_FALSE(pacer.Due(start + 4s + 999ms, 0ms));
    EXPECT_TRUE(pacer.Due(start + 5s, 250ms));
}

} // namespace
} // namespace kelvor
