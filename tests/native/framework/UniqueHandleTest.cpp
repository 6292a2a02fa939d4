#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "framework/base/UniqueHandle.h"

namespace {

// A fake handle kind in the shape of Win32 kernel handles: 0 is empty and
// -1 is also invalid (INVALID_HANDLE_VALUE); closing is recorded.
std::vector<int> g_closed;

struct FakeTraits {
    using Type = int;
    static Type Empty() { return 0; }
    static bool IsValid(Type h) { return h != 0 && h != -1; }
    static void Close(Type h) { g_closed.push_back(h); }
};
using FakeHandle = UniqueHandle<FakeTraits>;

class UniqueHandleTest : public ::testing::Test {
protected:
    void SetUp() override { g_closed.clear(); }
};

TEST_F(UniqueHandleTest, ClosesEachValidHandleExactlyOnce) {
    {
        FakeHandle a(5);
        FakeHandle invalid(-1);
        FakeHandle empty;
        EXPECT_TRUE(a);
        EXPECT_FALSE(invalid);
        EXPECT_FALSE(empty);
    }
    EXPECT_EQ(g_closed, std::vector<int>{5});
}

TEST_F(UniqueHandleTest, MoveTransfersOwnershipAndAssignmentClosesTheOld) {
    FakeHandle a(7);
    FakeHandle b(std::move(a));
    EXPECT_FALSE(a);
    EXPECT_EQ(b.Get(), 7);
    FakeHandle c(9);
    c = std::move(b);
    EXPECT_EQ(g_closed, std::vector<int>{9});
    EXPECT_EQ(c.Get(), 7);
    c = std::move(c);
    EXPECT_EQ(c.Get(), 7);
    EXPECT_EQ(g_closed, std::vector<int>{9});
}

TEST_F(UniqueHandleTest, ResetReleaseAndPut) {
    FakeHandle h(3);
    h.Reset(4);
    EXPECT_EQ(g_closed, std::vector<int>{3});
    EXPECT_EQ(h.Release(), 4);
    EXPECT_EQ(h.Get(), 0);
    h.Reset(11);
    int* out = h.Put();
    EXPECT_EQ(g_closed, (std::vector<int>{3, 11}));
    *out = 12;
    EXPECT_EQ(h.Get(), 12);
    h.Reset();
    EXPECT_EQ(g_closed, (std::vector<int>{3, 11, 12}));
}

}  // namespace
