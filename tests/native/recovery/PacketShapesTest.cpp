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

constexpr uint32_t kPacket = 512;
constexpr uint32_t kPreroll = 1000;

// Sound (stream 1, 8000 bytes/s) and pictures (stream 2). Picture 0 is a key
// frame in packets 0 and 1, picture 2 one in packet 4; the last picture is
// presented at 3.1 s, 0.5 s after the one before; the last sound object at
// 2.5 s lasts 10 ms (80 bytes); the last packet is sent at 1.3 s for 40 ms.
std::vector<BuiltPacket> Packets() {
    BuiltPayload key0{2, true, 0, 0, 700, 1000, 400};
    BuiltPayload key0Rest = key0;
    key0Rest.offset = 400;
    key0Rest.length = 300;
    BuiltPacket p1{10, 0, false, true, 0x5D, {key0Rest}};
    BuiltPacket p2{
        20,    0,    true,
        false, 0x5D, {{1, true, 0, 0, 80, 1000, 80}, {1, true, 1, 0, 80, 1010, 80}, {2, false, 1, 0, 100, 1500, 100}}};
    BuiltPayload compressed{1, true, 2, 0, 0, 1020, 0, 3, 10};
    return {{0, 0, true, false, 0x5D, {key0}},
            p1,
            p2,
            {30, 5, true, false, 0x5D, {compressed}},
            {1200, 0, true, false, 0x5D, {{2, true, 2, 0, 100, 2600, 100}}},
            {1300, 40, false, false, 0x5D, {{1, true, 5, 0, 80, 2500, 80}, {2, false, 3, 0, 50, 3100, 50}}}};
}

const std::vector<BuiltStream> kStreams = {{1, false, 8000}, {2, true, 0}};

recovery::RepairResult RepairInMemory(const Bytes& input, Bytes& output) {
    MemoryRepairFiles files;
    files.files[L"built.wmv"] = input;
    const recovery::RepairResult r = recovery::RepairRecording(files, L"built.wmv");
    output = files.files[L"built.wmv"];
    EXPECT_EQ(0, files.outsideReads);
    return r;
}

TEST(PacketShapes, GiveTheirTimesAndKeyFrames) {
    const Bytes input = BuildAsf(kStreams, Packets(), kPacket, kPreroll);
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
    Bytes input = BuildAsf(kStreams, Packets(), kPacket, kPreroll);
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
    std::vector<BuiltPacket> packets = Packets();
    for (BuiltPacket& p : packets) p.propertyFlags = 0x1D;
    const Bytes input = BuildAsf(kStreams, packets, kPacket, kPreroll);
    Bytes out;
    const recovery::RepairResult r = RepairInMemory(input, out);
    EXPECT_EQ(RepairOutcome::CannotRepair, r.outcome);
    EXPECT_EQ(L"none of its data packets can be read", r.reason);
    EXPECT_TRUE(input == out);
}

}  // namespace
