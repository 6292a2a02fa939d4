#include "capfilter/OutputRemainder.h"

#include <gtest/gtest.h>

#include <vector>

using sonark::OutputRemainder;

TEST(OutputRemainder, APacketThatFitsGoesOutWhole) {
    OutputRemainder rest;
    std::vector<uint8_t> data(1920, 7), out(48000, 0);
    EXPECT_EQ(rest.Split(data.data(), data.size(), out.data(), out.size(), 4), 1920u);
    EXPECT_TRUE(rest.Empty());
    EXPECT_EQ(out[1919], 7);
    EXPECT_EQ(out[1920], 0);
}

TEST(OutputRemainder, ALongerPacketIsDeliveredInWholeFramesAcrossSamples) {
    OutputRemainder rest;
    std::vector<uint8_t> data(12);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i + 1);
    std::vector<uint8_t> out(6, 0xEE);
    // 6 bytes of room hold one 4-byte frame: the copy never passes the buffer.
    EXPECT_EQ(rest.Split(data.data(), data.size(), out.data(), out.size(), 4), 4u);
    EXPECT_EQ(out[3], 4);
    EXPECT_EQ(out[4], 0xEE);
    EXPECT_EQ(rest.Bytes(), 8u);
    EXPECT_EQ(rest.TakeInto(out.data(), out.size(), 4), 4u);
    EXPECT_EQ(out[0], 5);
    EXPECT_EQ(out[3], 8);
    EXPECT_EQ(out[4], 0xEE);
    EXPECT_EQ(rest.TakeInto(out.data(), out.size(), 4), 4u);
    EXPECT_EQ(out[0], 9);
    EXPECT_EQ(out[3], 12);
    EXPECT_TRUE(rest.Empty());
    EXPECT_EQ(rest.TakeInto(out.data(), out.size(), 4), 0u);
}
