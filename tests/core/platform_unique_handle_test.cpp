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
        Owner zero(0);
        Owner first(1);
        Owner second(2);
        second = std::move(first);
        Owner& same = second;
        second = std::move(same);
        Owner third(std::move(second));
        EXPECT_FALSE(first);
        EXPECT_FALSE(second);
        third.reset(3);
        Owner given(4);
        EXPECT_EQ(given.release(), 4);
        EXPECT_FALSE(given);
        Owner empty;
        empty.reset();
        EXPECT_EQ(closed, (std::vector<int>{2, 1}));
    }
    EXPECT_EQ(closed, (std::vector<int>{2, 1, 3, 0}));
}

} // namespace
} // namespace kelvor
