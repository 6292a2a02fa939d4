#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "framework/base/LeadingInt.h"

namespace {

TEST(LeadingInt, ReadsLikeTheRuntime) {
    EXPECT_EQ(LeadingInt(L"  42abc"), 42);
    EXPECT_EQ(LeadingInt(L"-17"), -17);
    EXPECT_EQ(LeadingInt(L"+8"), 8);
    EXPECT_EQ(LeadingInt(L""), 0);
    EXPECT_EQ(LeadingInt(L"x1"), 0);
    EXPECT_EQ(LeadingInt(L"99999999999999999999"), 2147483647);
    EXPECT_EQ(LeadingInt(L"-99999999999999999999"), -2147483647 - 1);
}

TEST(LeadingInt, BlanksSignDigitsAndNothingElse) {
    EXPECT_EQ(LeadingInt(L"25"), 25);
    EXPECT_EQ(LeadingInt(L"  -7 px"), -7);
    EXPECT_EQ(LeadingInt(L"\t+12,5"), 12);
    EXPECT_EQ(LeadingInt(L""), 0);
    EXPECT_EQ(LeadingInt(L"abc"), 0);
    EXPECT_EQ(LeadingInt(L"- 5"), 0);
    EXPECT_EQ(LeadingInt(L"2147483647"), INT_MAX);
    EXPECT_EQ(LeadingInt(L"2147483648"), INT_MAX);
    EXPECT_EQ(LeadingInt(L"-2147483648"), INT_MIN);
    EXPECT_EQ(LeadingInt(std::wstring(L"-") + std::wstring(5000, L'9')), INT_MIN);
}

}  // namespace
