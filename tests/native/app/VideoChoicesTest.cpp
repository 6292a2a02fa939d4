// The video settings dialog's lists: the entry a stored value selects and
// what OK stores.

#include <gtest/gtest.h>

#include <optional>

#include "app/window/VideoChoices.h"

namespace {

TEST(VideoChoices, AStoredValueSelectsTheFirstEntryBeginningWithIt) {
    EXPECT_EQ(BitrateSelection(300), std::optional<std::size_t>(0));
    EXPECT_EQ(BitrateSelection(3000), std::optional<std::size_t>(3));
    EXPECT_EQ(BitrateSelection(6000), std::optional<std::size_t>(4));
    EXPECT_EQ(BitrateSelection(800), std::nullopt);
    EXPECT_EQ(BitrateSelection(-300), std::nullopt);
    EXPECT_EQ(FrameRateSelection(30.0), std::optional<std::size_t>(4));
    EXPECT_EQ(FrameRateSelection(25.9), std::optional<std::size_t>(3));
    EXPECT_EQ(FrameRateSelection(12.5), std::nullopt);
    EXPECT_EQ(FrameRateSelection(1e300), std::nullopt);
}

TEST(VideoChoices, OkStoresTheSelectedNumberOrTheDefault) {
    EXPECT_EQ(BitrateToStore(std::nullopt), 3000);
    EXPECT_EQ(BitrateToStore(kBitrateChoices[2]), 1200);
    EXPECT_EQ(FrameRateToStore(std::nullopt), 15);
    EXPECT_EQ(FrameRateToStore(kFrameRateChoices[0]), 10);
    EXPECT_EQ(FrameRateToStore(std::wstring_view(L"0")), 15);
}

}  // namespace
