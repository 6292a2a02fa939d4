#include "capfilter/MicCarry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/native/capfilter/PcmBytes.h"

using sonark::MicCarry;
using ::testing::ElementsAre;

TEST(MicCarry, EmptyMicrophonePacketLeavesTheSpeakersPacketUnchanged) {
    MicCarry carry;
    carry.Configure(192000, 4);
    auto speakers = Pcm({30000, -5, 7, 8});
    carry.MixInto(speakers.data(), speakers.size(), nullptr, 0, false);
    EXPECT_THAT(Samples(speakers), ElementsAre(30000, -5, 7, 8));
    EXPECT_EQ(carry.CarriedBytes(), 0u);
}

TEST(MicCarry, StereoRemainderIsMixedIntoTheNextPacket) {
    MicCarry carry;
    carry.Configure(192000, 4);
    auto first = Pcm({1, 1, 1, 1});
    auto mic = Pcm({10, 20, 30, 40, 50, 60});  // three frames for a two-frame packet
    carry.MixInto(first.data(), first.size(), mic.data(), mic.size(), false);
    EXPECT_THAT(Samples(first), ElementsAre(11, 21, 31, 41));
    EXPECT_EQ(carry.CarriedBytes(), 4u);

    auto second = Pcm({2, 2, 2, 2});
    auto next = Pcm({100, 200});
    carry.MixInto(second.data(), second.size(), next.data(), next.size(), false);
    // The carried frame first, then the new packet.
    EXPECT_THAT(Samples(second), ElementsAre(52, 62, 102, 202));
    EXPECT_EQ(carry.CarriedBytes(), 0u);
    EXPECT_EQ(carry.DroppedBytes(), 0u);
}

TEST(MicCarry, MonoRemainderIsCarriedAndDoubled) {
    MicCarry carry;
    carry.Configure(96000, 2);
    auto first = Pcm({0, 0});  // one stereo frame
    auto mic = Pcm({7, 8, 9});
    carry.MixInto(first.data(), first.size(), mic.data(), mic.size(), true);
    EXPECT_THAT(Samples(first), ElementsAre(7, 7));
    EXPECT_EQ(carry.CarriedBytes(), 4u);

    auto second = Pcm({0, 0, 0, 0, 0, 0});
    carry.MixInto(second.data(), second.size(), nullptr, 0, true);
    EXPECT_THAT(Samples(second), ElementsAre(8, 8, 9, 9, 0, 0));
    EXPECT_EQ(carry.CarriedBytes(), 0u);
}

TEST(MicCarry, CarryLongerThanThePacketKeepsItsOrder) {
    MicCarry carry;
    carry.Configure(192000, 4);
    auto tiny = Pcm({0, 0});
    auto mic = Pcm({1, 1, 2, 2, 3, 3});
    carry.MixInto(tiny.data(), tiny.size(), mic.data(), mic.size(), false);
    EXPECT_EQ(carry.CarriedBytes(), 8u);
    // The carry is not used up by the next packet: the new packet queues behind it.
    auto next = Pcm({4, 4});
    auto again = Pcm({0, 0});
    carry.MixInto(again.data(), again.size(), next.data(), next.size(), false);
    EXPECT_THAT(Samples(again), ElementsAre(2, 2));
    EXPECT_EQ(carry.CarriedBytes(), 8u);
    auto last = Pcm({0, 0, 0, 0});
    carry.MixInto(last.data(), last.size(), nullptr, 0, false);
    EXPECT_THAT(Samples(last), ElementsAre(3, 3, 4, 4));
}

TEST(MicCarry, BoundedCarryDropsTheOldestBytesAndCountsThem) {
    MicCarry carry;
    carry.Configure(8, 4);  // two stereo frames at most
    auto none = Pcm({});
    auto mic = Pcm({1, 1, 2, 2});
    carry.MixInto(none.data(), 0, mic.data(), mic.size(), false);
    auto more = Pcm({3, 3});
    carry.MixInto(none.data(), 0, more.data(), more.size(), false);
    EXPECT_EQ(carry.CarriedBytes(), 8u);
    EXPECT_EQ(carry.DroppedBytes(), 4u);
    auto out = Pcm({0, 0, 0, 0});
    carry.MixInto(out.data(), out.size(), nullptr, 0, false);
    EXPECT_THAT(Samples(out), ElementsAre(2, 2, 3, 3));

    // A packet longer than the whole carry keeps only its newest frames.
    auto huge = Pcm({5, 5, 6, 6, 7, 7});
    carry.MixInto(none.data(), 0, huge.data(), huge.size(), false);
    EXPECT_EQ(carry.DroppedBytes(), 8u);
    auto out2 = Pcm({0, 0, 0, 0});
    carry.MixInto(out2.data(), out2.size(), nullptr, 0, false);
    EXPECT_THAT(Samples(out2), ElementsAre(6, 6, 7, 7));
}

TEST(MicCarry, ClearForgetsTheCarry) {
    MicCarry carry;
    carry.Configure(192000, 4);
    auto none = Pcm({});
    auto mic = Pcm({1, 1});
    carry.MixInto(none.data(), 0, mic.data(), mic.size(), false);
    carry.Clear();
    auto out = Pcm({0, 0});
    carry.MixInto(out.data(), out.size(), nullptr, 0, false);
    EXPECT_THAT(Samples(out), ElementsAre(0, 0));
}
