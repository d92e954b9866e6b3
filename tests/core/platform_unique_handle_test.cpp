#include "platform/unique_handle.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace kelvor {
namespace {

// A descriptor-like handle: 0 is a handle, -1 none.
std::vector<int> closed;
void Close(int handle) noexcept {
    closed.push_back(handle);
}
int None() noexcept {
    return -1;
}
using Owner = UniqueHandle<int, Close, None>;

TEST(UniqueHandle, ClosesEveryHandleItHoldsOnceAndNoneItGaveAway) {
    closed.clear();
    {
        Owner zero(0), first(1), second(2), given(4), empty;
        second = std::move(first);
        Owner& same = second;
        second = std::move(same);
        Owner third(std::move(second));
        third.reset(3);
        EXPECT_EQ(given.release(), 4);
        empty.reset();
        EXPECT_TRUE(!first && !second && !given && !empty && third);
        EXPECT_EQ(closed, (std::vector<int>{2, 1}));
    }
    EXPECT_EQ(closed, (std::vector<int>{2, 1, 3, 0}));
}

} // namespace
} // namespace kelvor
