// Packets as other writers shape them, built byte by byte: with and without
// error correction data, with a packet length field shorter than the packet,
// several payloads in one packet, compressed payloads, a key frame spread
// over two packets; and packets whose headers cannot be read, which are kept
// but tell nothing.

#include <gtest/gtest.h>

#include "recovery/RecordingRepair.h"
#include "recovery/SimpleIndex.h"
#include "tests/native/recovery/MemoryRepairFiles.h"
#include "tests/native/recovery/TestRecordings.h"

namespace {

using recovery::RepairOutcome;

constexpr uint32_t kPacket = kMixedPacketSize;
constexpr uint32_t kPreroll = kMixedPreroll;

recovery::RepairResult RepairInMemory(const Bytes& input, Bytes& output) {
    MemoryRepairFiles files;
    files.files[L"built.wmv"] = input;
    const recovery::RepairResult r = recovery::RepairRecording(files, L"built.wmv");
    output = files.files[L"built.wmv"];
    EXPECT_EQ(0, files.outsideReads);
    return r;
}

TEST(PacketShapes, GiveTheirTimesAndKeyFrames) {
    const Bytes input = BuildAsf(kMixedStreams, MixedPackets(), kPacket, kPreroll);
    Bytes out;
    const recovery::RepairResult r = RepairInMemory(input, out);
    ASSERT_EQ(RepairOutcome::Repaired, r.outcome);
    EXPECT_EQ(6u, r.packets);
    EXPECT_EQ(0u, r.unreadablePackets);
    EXPECT_EQ(13400000u, r.after.sendDuration);
    EXPECT_EQ(36000000u, r.after.playDuration);  // picture 3 ends at 3.6 s
    EXPECT_EQ(2u, r.after.flags);

    // Index times are presentation times: at 0 s to 2 s the key frame of
    // packets 0-1 (the one before the first is the first), at 3 s packet 4.
    ASSERT_EQ(input.size() + 56 + 4 * 6, out.size());
    const uint8_t* index = &out[input.size()];
    EXPECT_EQ(56u + 4 * 6, Read64(out, input.size() + 16));
    EXPECT_EQ(recovery::kIndexInterval, Read64(out, input.size() + 40));
    EXPECT_EQ(Bytes({2, 0, 0, 0, 4, 0, 0, 0}), Bytes(index + 48, index + 56));  // max packet count, entries
    EXPECT_EQ(Bytes({0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 2, 0, 4, 0, 0, 0, 1, 0}),
              Bytes(index + 56, index + 80));
}

// Bytes of packet 2 (three payloads) that no packet header holds.
struct Damage {
    const char* name;
    size_t at;  // from the packet's start
    std::vector<uint8_t> bytes;
};

const Damage kDamages[] = {
    {"opaque_error_correction_data", 0, {0x92}},   {"two_byte_stream_numbers", 4, {0x9D}},
    {"padding_past_the_packet", 5, {0xFF, 0x01}},  {"payload_length_type_00", 13, {0x03}},
    {"payload_past_the_packet", 29, {0xFF, 0x01}},
};

void PrintTo(const Damage& d, std::ostream* os) { *os << d.name; }

class DamagedPacket : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedPacket, IsKeptAndTellsNothing) {
    Bytes input = BuildAsf(kMixedStreams, MixedPackets(), kPacket, kPreroll);
    const size_t packet2 = input.size() - 4 * kPacket;
    std::copy(GetParam().bytes.begin(), GetParam().bytes.end(),
              input.begin() + static_cast<long>(packet2 + GetParam().at));
    Bytes out;
    const recovery::RepairResult r = RepairInMemory(input, out);
    ASSERT_EQ(RepairOutcome::Repaired, r.outcome);
    EXPECT_EQ(6u, r.packets);
    EXPECT_EQ(1u, r.unreadablePackets);
    EXPECT_EQ(13400000u, r.after.sendDuration);
    EXPECT_EQ(36000000u, r.after.playDuration);
}

INSTANTIATE_TEST_SUITE_P(Packets, DamagedPacket, ::testing::ValuesIn(kDamages),
                         [](const ::testing::TestParamInfo<Damage>& i) { return std::string(i.param.name); });

TEST(PacketShapes, NoneReadableIsNoRepair) {
    std::vector<BuiltPacket> packets = MixedPackets();
    for (BuiltPacket& p : packets) p.propertyFlags = 0x1D;
    const Bytes input = BuildAsf(kMixedStreams, packets, kPacket, kPreroll);
    Bytes out;
    const recovery::RepairResult r = RepairInMemory(input, out);
    EXPECT_EQ(RepairOutcome::CannotRepair, r.outcome);
    EXPECT_EQ(L"none of its data packets can be read", r.reason);
    EXPECT_TRUE(input == out);
}

}  // namespace
