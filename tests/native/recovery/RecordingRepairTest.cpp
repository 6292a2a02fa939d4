// The repair of recordings made by the ASF writer stand-in's muxer: finished,
// killed, cut at a packet, inside one and inside the header, with the
// totals a killed writer leaves, with the broadcast flag, without video and
// with packets of varying size. A repaired file repairs to itself, FFmpeg
// reads it, and a repair that dies halfway is finished by the next one.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "recovery/PosixRepairFiles.h"
#include "recovery/RecordingRepair.h"
#include "tests/native/recovery/MemoryRepairFiles.h"
#include "tests/native/recovery/TestRecordings.h"
#include "tests/native/winetest/asfwriter/AsfReadBack.h"

namespace {

using recovery::RepairOutcome;
using recovery::RepairResult;

constexpr uint32_t kPacket = 32000;

size_t FirstPacket(const Bytes& b) { return static_cast<size_t>(Read64(b, 16)) + 50; }

std::string TempFolder() { return ::testing::TempDir() + "recovery_" + std::to_string(::getpid()); }

std::string TempPath(const std::string& name) {
    std::filesystem::create_directories(TempFolder());
    return TempFolder() + "/" + name;
}

class RemoveTempFolder : public ::testing::Environment {
    void TearDown() override { std::filesystem::remove_all(TempFolder()); }
};
const auto* const kRemoveTempFolder = ::testing::AddGlobalTestEnvironment(new RemoveTempFolder);

void WriteFile(const std::string& path, const Bytes& b) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), static_cast<long>(b.size()));
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

RepairResult RepairOnDisk(const std::string& path) {
    recovery::PosixRepairFiles files;
    return recovery::RepairRecording(files, std::filesystem::path(path).wstring());
}

// The totals and index of a finished file taken away, as the writer leaves
// them when it is killed: zero sizes, counts and durations, broadcast flag.
void KilledWriterFields(Bytes& b) {
    b.resize(FirstPacket(b) + Read64(b, kProperties + 56) * kPacket);
    for (size_t field : {40, 56, 64, 72}) Write64(b, kProperties + field, 0);
    Write32(b, kProperties + 88, 1);
    Write64(b, FirstPacket(b) - 50 + 16, 0);
    Write64(b, FirstPacket(b) - 50 + 40, 0);
}

struct Case {
    const char* name;
    Take take;
    bool finish;
    void (*damage)(Bytes&);
    RepairOutcome outcome;
    const wchar_t* reason;
    uint64_t packets, torn, lengthAfter, play, send;
    unsigned indexes;
};

const Take kAv;
const Take kAudioOnly{true, false};

// The muxer's 3-s takes: 46 packets when killed (the last sound it gathers
// never goes out), 47 and a 98-byte index (7 entries) when finished; the
// last picture is presented at 5.9 s (the 3-s preroll included) for 0.1 s,
// its packet sent at 2.9 s with no duration. Cut after 20 packets, the last
// picture is presented at 4.2 s and the last packet sent at 1.2 s; its index
// has 5 entries (86 bytes).
const Case kCases[] = {
    {"finished", kAv, true, [](Bytes&) {}, RepairOutcome::Complete, L"", 47, 0, 1504623, 60000000, 30000000, 0},
    {"killed", kAv, false, [](Bytes&) {}, RepairOutcome::Repaired, L"", 46, 0, 1472623, 60000000, 29000000, 1},
    {"cut_at_packet", kAv, false, [](Bytes& b) { b.resize(FirstPacket(b) + 20 * kPacket); }, RepairOutcome::Repaired,
     L"", 20, 0, 640611, 43000000, 12000000, 1},
    {"cut_inside_packet", kAv, false, [](Bytes& b) { b.resize(FirstPacket(b) + 20 * kPacket + 1234); },
     RepairOutcome::Repaired, L"", 20, 1234, 640611, 43000000, 12000000, 1},
    {"cut_inside_header", kAv, false, [](Bytes& b) { b.resize(300); }, RepairOutcome::CannotRepair,
     L"the file ends inside its header", 0, 0, 300, 0, 0, 0},
    {"killed_writer_fields", kAv, true, KilledWriterFields, RepairOutcome::Repaired, L"", 47, 0, 1504623, 60000000,
     29000000, 1},
    {"broadcast_flag", kAv, true, [](Bytes& b) { b[kProperties + 88] |= 1; }, RepairOutcome::Repaired, L"", 47, 0,
     1504623, 60000000, 29000000, 1},
    // 16 gathered sound objects of 180 ms (31752 bytes), each in its own
    // packet, sent as it begins: the last at 2.7 s, presented at 5.7 s.
    {"audio_only", kAudioOnly, false, [](Bytes&) {}, RepairOutcome::Repaired, L"", 16, 0, 512396, 58800000, 27000000,
     0},
    {"packet_sizes_differ", kAv, false, [](Bytes& b) { Write32(b, kProperties + 96, kPacket + 1); },
     RepairOutcome::CannotRepair, L"its data packets vary in size", 0, 0, 1472525, 0, 0, 0},
    {"not_asf", kAv, false, [](Bytes& b) { b[0] ^= 0xFF; }, RepairOutcome::CannotRepair,
     L"it is not a Windows Media file", 0, 0, 1472525, 0, 0, 0},
    {"object_size_overflows", kAv, false, [](Bytes& b) { Write64(b, kProperties + 104 + 16, ~0ull); },
     RepairOutcome::CannotRepair, L"its header is damaged", 0, 0, 1472525, 0, 0, 0},
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class Repair : public ::testing::TestWithParam<Case> {};

TEST_P(Repair, GivesTheTotalsOfTheWholePacketsAndRepairsToItself) {
    const Case& c = GetParam();
    Bytes input = Record(c.take, c.finish);
    c.damage(input);
    const std::string path = TempPath(std::string(c.name) + ".wmv");
    WriteFile(path, input);

    const RepairResult r = RepairOnDisk(path);
    const Bytes repaired = ReadFile(path);
    EXPECT_EQ(c.outcome, r.outcome);
    EXPECT_EQ(c.reason, r.reason);
    EXPECT_EQ(c.packets, r.packets);
    EXPECT_EQ(c.torn, r.tornBytes);
    EXPECT_EQ(c.lengthAfter, repaired.size());
    EXPECT_EQ(c.indexes, r.indexes);
    EXPECT_FALSE(std::filesystem::exists(path + ".repair"));
    if (r.outcome != RepairOutcome::Repaired) {
        EXPECT_TRUE(input == repaired) << "changed although not repaired";
        return;
    }
    const recovery::AsfHeaderFields& a = r.after;
    EXPECT_EQ(repaired.size(), a.fileSize);
    EXPECT_EQ(c.packets, a.dataPackets);
    EXPECT_EQ(c.packets, a.dataObjectPackets);
    EXPECT_EQ(50 + c.packets * kPacket, a.dataObjectSize);
    EXPECT_EQ(c.play, a.playDuration);
    EXPECT_EQ(c.send, a.sendDuration);
    EXPECT_EQ(c.play - 30000000, r.duration);
    EXPECT_EQ(2u, a.flags);  // seekable, no longer broadcast
    EXPECT_EQ(a.fileSize, Read64(repaired, kProperties + 40));
    EXPECT_EQ(a.playDuration, Read64(repaired, kProperties + 64));

    const RepairResult again = RepairOnDisk(path);
    EXPECT_EQ(RepairOutcome::Complete, again.outcome);
    EXPECT_TRUE(repaired == ReadFile(path)) << "a second repair changed the file";
}

INSTANTIATE_TEST_SUITE_P(Recordings, Repair, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& i) { return std::string(i.param.name); });

TEST(Repair, OfTheKilledWritersFieldsGivesTheFinishedFileButItsSendDuration) {
    const Bytes finished = Record(kAv, true);
    Bytes killed = finished;
    KilledWriterFields(killed);
    const std::string path = TempPath("back_to_finished.wmv");
    WriteFile(path, killed);
    ASSERT_EQ(RepairOutcome::Repaired, RepairOnDisk(path).outcome);
    Bytes repaired = ReadFile(path);
    // The muxer counts the last picture's 0.1 s into the send duration; the
    // packets say only when the last one was sent.
    EXPECT_EQ(29000000u, Read64(repaired, kProperties + 72));
    Write64(repaired, kProperties + 72, Read64(finished, kProperties + 72));
    EXPECT_TRUE(finished == repaired);
}

std::string Frames(const std::string& demuxer, const std::string& path) {
    return RunCommand("ffmpeg -v error -f " + demuxer + " -i pipe:0 -map 0:v -f framecrc - < '" + path +
                      "' | grep -vc '^#'");
}

struct FfmpegCase {
    Case recording;
    const char* pictures;  // ffmpeg's count, with its line end
};

void PrintTo(const FfmpegCase& c, std::ostream* os) { *os << c.recording.name; }

class FfmpegReads : public ::testing::TestWithParam<FfmpegCase> {};

TEST_P(FfmpegReads, TheRepairedFileWithItsDurationAndEveryPicture) {
    if (RunCommand("command -v ffprobe").empty()) GTEST_SKIP() << "ffprobe is not installed";
    const Case& c = GetParam().recording;
    Bytes input = Record(c.take, c.finish);
    c.damage(input);
    const std::string path = TempPath(std::string("ffmpeg_") + c.name + ".wmv");
    WriteFile(path, input);
    const std::string probe = "ffprobe -v error -show_entries format=duration -of csv=p=0 '" + path + "'";
    EXPECT_EQ("N/A\n", RunCommand(probe));
    const RepairResult r = RepairOnDisk(path);
    ASSERT_EQ(RepairOutcome::Repaired, r.outcome);

    char duration[32];
    std::snprintf(duration, sizeof duration, "%.6f\n", static_cast<double>(r.duration) / 1e7);
    EXPECT_EQ(duration, RunCommand(probe));
    // The newer demuxer is given the file as a stream: this FFmpeg's asf_o
    // fails on every seekable file it reads to the end, finished ones too.
    EXPECT_EQ(GetParam().pictures, Frames("asf_o", path));
    EXPECT_EQ(GetParam().pictures, Frames("asf", path));
}

// All 30 pictures of the killed takes; 13 in the first 20 packets.
INSTANTIATE_TEST_SUITE_P(Recordings, FfmpegReads,
                         ::testing::Values(FfmpegCase{kCases[1], "30\n"}, FfmpegCase{kCases[3], "13\n"},
                                           FfmpegCase{kCases[5], "30\n"}),
                         [](const ::testing::TestParamInfo<FfmpegCase>& i) {
                             return std::string(i.param.recording.name);
                         });

// The process dies after each number of writes in turn: the next repair
// finishes from the side file (or, when that was cut short, starts again),
// and the file ends as one repair alone leaves it.
TEST(Repair, CutShortIsFinishedByTheNext) {
    const std::wstring path = L"rec.wmv";
    const Bytes killed = Record(kAv, false);
    MemoryRepairFiles once;
    once.files[path] = killed;
    ASSERT_EQ(RepairOutcome::Repaired, recovery::RepairRecording(once, path).outcome);
    const Bytes expected = once.files[path];

    for (int writes = 0; writes < 14; ++writes) {
        MemoryRepairFiles files;
        files.files[path] = killed;
        files.writesLeft = writes;
        const RepairResult first = recovery::RepairRecording(files, path);
        files.writesLeft = -1;
        const RepairResult second = recovery::RepairRecording(files, path);
        EXPECT_EQ(RepairOutcome::Repaired, first.outcome == RepairOutcome::Repaired ? first.outcome : second.outcome)
            << writes;
        EXPECT_TRUE(expected == files.files[path]) << "after " << writes << " writes";
        EXPECT_EQ(1u, files.files.size()) << "the side file stayed after " << writes << " writes";
        EXPECT_EQ(0, files.outsideReads);
    }
}

// A side file whose file id is not the recording's is not written into it,
// though its lengths fit: here it would give the last packet's send time of
// the other recording.
TEST(Repair, ThrowsAwayTheSideFileOfAnotherRecording) {
    MemoryRepairFiles files;
    Bytes other = Record(kAv, false);
    other[kProperties + 24] ^= 1;
    Write32(other, FirstPacket(other) + 45 * kPacket + 7, 5000);
    files.files[L"other.wmv"] = other;
    files.writesLeft = 2;  // the side file is written and flushed, the recording not
    recovery::RepairRecording(files, L"other.wmv");
    files.writesLeft = -1;
    files.files[L"rec.wmv.repair"] = files.files.at(L"other.wmv.repair");
    files.files[L"rec.wmv"] = Record(kAv, false);
    MemoryRepairFiles alone;
    alone.files[L"rec.wmv"] = Record(kAv, false);

    const RepairResult r = recovery::RepairRecording(files, L"rec.wmv");
    EXPECT_FALSE(r.finishedEarlierRepair);
    EXPECT_EQ(29000000u, r.after.sendDuration);
    recovery::RepairRecording(alone, L"rec.wmv");
    EXPECT_TRUE(alone.files[L"rec.wmv"] == files.files[L"rec.wmv"]);
    EXPECT_EQ(0u, files.files.count(L"rec.wmv.repair"));
}

TEST(RepairMessage, TellsWhereTheRecordingStoppedOrWhyItStays) {
    RepairResult r;
    r.outcome = RepairOutcome::Repaired;
    r.duration = 7540000000ull + 9999999;
    EXPECT_EQ(
        L"The recording 'Call 1' was interrupted at 00:12:34. It has been repaired and is in the recordings list.",
        recovery::RepairMessage(L"Call 1", r));
    r.outcome = RepairOutcome::CannotRepair;
    r.reason = L"its header is damaged";
    EXPECT_EQ(L"The recording 'Call 1' was interrupted and cannot be repaired: its header is damaged.",
              recovery::RepairMessage(L"Call 1", r));
    r.outcome = RepairOutcome::Complete;
    EXPECT_EQ(L"", recovery::RepairMessage(L"Call 1", r));
    EXPECT_EQ(L"100:00:01", recovery::ClockText(3600010000000ull));
}

}  // namespace
