// The ASF muxing core writes files that FFmpeg reads back: streams and
// formats, exact PCM and pixels, durations, packet counts, metadata,
// fragments, seeking through the index, empty streams.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/native/winetest/asfwriter/AsfReadBack.h"
#include "winetest/asfwriter/AsfHeader.h"
#include "winetest/asfwriter/AsfMuxer.h"

namespace {

constexpr int64_t kSecond = 10000000;

AsfStreamInfo Audio(uint8_t number, uint32_t rate, uint16_t channels, uint16_t bits) {
    AsfStreamInfo s;
    s.kind = AsfStreamKind::Audio;
    s.number = number;
    s.audio.channels = channels;
    s.audio.samplesPerSec = rate;
    s.audio.bitsPerSample = bits;
    s.audio.blockAlign = static_cast<uint16_t>(channels * bits / 8);
    s.audio.avgBytesPerSec = rate * s.audio.blockAlign;
    return s;
}

AsfStreamInfo Video(uint8_t number, int32_t width, int32_t height, uint16_t bits) {
    AsfStreamInfo s;
    s.kind = AsfStreamKind::Video;
    s.number = number;
    s.video.width = width;
    s.video.height = height;
    s.video.bitCount = bits;
    s.video.imageSize = static_cast<uint32_t>(((width * bits / 8 + 3) & ~3) * height);
    return s;
}

AsfFileInfo Info(std::vector<AsfStreamInfo> streams, uint32_t packetSize = AsfMuxer::kDefaultPacketSize) {
    AsfFileInfo info;
    info.fileId = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
    info.creationTime = 133000000000000000ull;
    info.prerollMs = AsfMuxer::kDefaultPrerollMs;
    info.packetSize = packetSize;
    info.streams = std::move(streams);
    return info;
}

// Bottom-up rows with DWORD-aligned stride, as DirectShow delivers them;
// pixel (x, y) of the top-down picture depends on the frame number.
std::vector<uint8_t> Frame(int width, int height, int bits, int n) {
    int bpp = bits / 8;
    int stride = (width * bpp + 3) & ~3;
    std::vector<uint8_t> f(static_cast<size_t>(stride * height), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &f[static_cast<size_t>((height - 1 - y) * stride + x * bpp)];
            p[0] = static_cast<uint8_t>(x * 7 + n);      // blue
            p[1] = static_cast<uint8_t>(y * 5 + 3 * n);  // green
            p[2] = static_cast<uint8_t>(x ^ y);          // red
            if (bpp == 4) p[3] = 0;
        }
    return f;
}

// The same picture top-down and packed, as ffmpeg's bgr24 output with vflip.
std::vector<uint8_t> TopDownBgr(int width, int height, int n) {
    std::vector<uint8_t> f;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            f.push_back(static_cast<uint8_t>(x * 7 + n));
            f.push_back(static_cast<uint8_t>(y * 5 + 3 * n));
            f.push_back(static_cast<uint8_t>(x ^ y));
        }
    return f;
}

std::vector<uint8_t> Pcm(size_t bytes, uint32_t seed) {
    std::vector<uint8_t> b(bytes);
    for (size_t i = 0; i < bytes; ++i) b[i] = static_cast<uint8_t>((i * 131 + seed * 17 + (i >> 9)) & 0xFF);
    return b;
}

struct Recording {
    std::string path;
    AsfTotals totals;
};

// Writes `seconds` of the given streams: video at `fps`, audio in 10 ms
// samples, interleaved by time.
Recording Record(const std::string& name, const AsfFileInfo& info, double seconds, int fps,
                 std::vector<uint8_t>* pcmOut = nullptr) {
    Recording r{TempAsfPath(name), {}};
    StdioOutput out(r.path);
    EXPECT_TRUE(out.IsOpen());
    AsfMuxer mux(info, out);
    EXPECT_TRUE(mux.Begin()) << mux.Error();
    int64_t end = static_cast<int64_t>(seconds * kSecond);
    int64_t audioAt = 0, videoAt = 0;
    int frame = 0;
    uint32_t audioSample = 0;
    bool hasVideo = false;
    for (const AsfStreamInfo& s : info.streams) hasVideo = hasVideo || s.kind == AsfStreamKind::Video;
    for (;;) {
        bool more = false;
        for (size_t i = 0; i < info.streams.size(); ++i) {
            const AsfStreamInfo& s = info.streams[i];
            if (s.kind == AsfStreamKind::Audio && audioAt < end && (!hasVideo || audioAt <= videoAt)) {
                size_t bytes = s.audio.avgBytesPerSec / 100;
                std::vector<uint8_t> pcm = Pcm(bytes, audioSample++);
                if (pcmOut) pcmOut->insert(pcmOut->end(), pcm.begin(), pcm.end());
                AsfSample smp{pcm.data(), pcm.size(), true, audioAt, audioAt + kSecond / 100, false};
                EXPECT_TRUE(mux.Write(i, smp)) << mux.Error();
                audioAt += kSecond / 100;
            }
            if (s.kind == AsfStreamKind::Video && videoAt < end) {
                std::vector<uint8_t> f = Frame(s.video.width, s.video.height, s.video.bitCount, frame++);
                AsfSample smp{f.data(), f.size(), true, videoAt, videoAt + kSecond / fps, false};
                EXPECT_TRUE(mux.Write(i, smp)) << mux.Error();
                videoAt += kSecond / fps;
            }
            more = more || (s.kind == AsfStreamKind::Audio ? audioAt < end : videoAt < end);
        }
        if (!more) break;
    }
    EXPECT_TRUE(mux.Finish()) << mux.Error();
    r.totals = mux.Totals();
    return r;
}

double Number(const std::string& s) { return std::strtod(s.c_str(), nullptr); }

struct FormatCase {
    const char* name;
    std::vector<AsfStreamInfo> streams;
    std::vector<std::string> expected;  // codec_name,width,height,sample_rate,channels per stream
};

class AsfFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(AsfFormats, FfprobeSeesTheStreamsAsDeclared) {
    const FormatCase& c = GetParam();
    Recording r = Record(c.name, Info(c.streams), 1.0, 10);
    std::string out = RunCommand(
        "ffprobe -v error -show_entries stream=codec_name,width,height,sample_rate,channels"
        " -of csv=p=0 '" +
        r.path + "'");
    std::string expected;
    for (const std::string& line : c.expected) expected += line + "\n";
    EXPECT_EQ(expected, out);
}

INSTANTIATE_TEST_SUITE_P(Streams, AsfFormats,
                         ::testing::Values(FormatCase{"audio_only", {Audio(1, 44100, 2, 16)}, {"pcm_s16le,44100,2"}},
                                           FormatCase{"mono_48k", {Audio(1, 48000, 1, 16)}, {"pcm_s16le,48000,1"}},
                                           FormatCase{"pcm_8bit", {Audio(1, 22050, 2, 8)}, {"pcm_u8,22050,2"}},
                                           FormatCase{"video_only", {Video(1, 64, 48, 24)}, {"rawvideo,64,48"}},
                                           FormatCase{"audio_video",
                                                      {Audio(1, 44100, 2, 16), Video(2, 320, 240, 24)},
                                                      {"pcm_s16le,44100,2", "rawvideo,320,240"}}),
                         [](const ::testing::TestParamInfo<FormatCase>& i) { return std::string(i.param.name); });

TEST(AsfMuxer, PcmBytesComeBackExactly) {
    std::vector<uint8_t> written;
    Recording r = Record("pcm_exact", Info({Audio(1, 44100, 2, 16), Video(2, 64, 48, 24)}), 2.0, 10, &written);
    std::vector<uint8_t> decoded = Decode(r.path, "-map 0:a -f s16le");
    ASSERT_EQ(written.size(), decoded.size());
    EXPECT_TRUE(written == decoded);
}

struct PixelCase {
    const char* name;
    int width, height, bits;
};

class AsfPixels : public ::testing::TestWithParam<PixelCase> {};

TEST_P(AsfPixels, FramesComeBackPixelForPixel) {
    const PixelCase& c = GetParam();
    const int fps = 5, frames = 5;
    Recording r = Record(c.name, Info({Video(1, c.width, c.height, static_cast<uint16_t>(c.bits))}), 1.0, fps);
    std::vector<uint8_t> decoded = Decode(r.path, "-map 0:v -vf vflip -f rawvideo -pix_fmt bgr24");
    size_t frameBytes = static_cast<size_t>(c.width * c.height * 3);
    ASSERT_EQ(frameBytes * frames, decoded.size());
    for (int n = 0; n < frames; ++n) {
        std::vector<uint8_t> expected = TopDownBgr(c.width, c.height, n);
        std::vector<uint8_t> got(decoded.begin() + static_cast<long>(frameBytes * n),
                                 decoded.begin() + static_cast<long>(frameBytes * (n + 1)));
        EXPECT_TRUE(expected == got) << "frame " << n;
    }
}

INSTANTIATE_TEST_SUITE_P(Pictures, AsfPixels,
                         ::testing::Values(PixelCase{"rgb24_64x48", 64, 48, 24},
                                           PixelCase{"rgb24_640x480", 640, 480, 24},
                                           PixelCase{"rgb32_64x48", 64, 48, 32}),
                         [](const ::testing::TestParamInfo<PixelCase>& i) { return std::string(i.param.name); });

TEST(AsfMuxer, DurationAndPacketCountsAreWhatWasWritten) {
    // 3 s: 30 frames at 10 fps; 300 audio samples of 10 ms gathered into
    // objects of at most one packet.
    Recording r = Record("duration", Info({Audio(1, 44100, 2, 16), Video(2, 64, 48, 24)}), 3.0, 10);
    std::vector<std::string> duration = Probe(r.path, "format=duration");
    ASSERT_EQ(1u, duration.size());
    EXPECT_NEAR(3.0, Number(duration[0]), 0.01);
    EXPECT_EQ(std::vector<std::string>{"30"},
              Probe(r.path, "stream=nb_read_packets", "-count_packets -select_streams v"));
    // 176400 bytes a second; objects of 31972 / 4 * 4 = 31972 bytes.
    uint32_t gathered = (AsfMuxer::kDefaultPacketSize - kAsfPacketOverhead) / 4 * 4;
    int audioObjects = static_cast<int>((3 * 176400 + gathered - 1) / gathered);
    EXPECT_EQ(std::vector<std::string>{std::to_string(audioObjects)},
              Probe(r.path, "stream=nb_read_packets", "-count_packets -select_streams a"));
    EXPECT_EQ(ReadFileBytes(r.path).size(), r.totals.fileSize);
    EXPECT_EQ(3u * kSecond + 3000u * 10000, r.totals.playDuration);
    EXPECT_EQ(3u * kSecond, r.totals.sendDuration);
}

TEST(AsfMuxer, FirstPictureAndSoundStartAtZero) {
    Recording r = Record("start", Info({Audio(1, 44100, 2, 16), Video(2, 64, 48, 24)}), 1.0, 10);
    EXPECT_EQ((std::vector<std::string>{"0.000000", "0.000000"}), Probe(r.path, "stream=start_time"));
    std::vector<std::string> times = Probe(r.path, "packet=pts_time", "-select_streams v");
    ASSERT_EQ(10u, times.size());
    EXPECT_EQ("0.900000", times.back());
}

TEST(AsfMuxer, ProfileTagsAppearAsFormatTags) {
    AsfFileInfo info = Info({Audio(1, 44100, 2, 16), Video(2, 64, 48, 24)});
    info.title = u"Quill Profile";
    info.tags = {{u"WM/VideoCodec", u"WMV1"},
                 {u"WM/VideoSubtype", u"{31564D57-0000-0010-8000-00AA00389B71}"},
                 {u"WM/AudioFormatTag", u"353"}};
    Recording r{TempAsfPath("tags"), {}};
    {
        StdioOutput out(r.path);
        AsfMuxer mux(info, out);
        ASSERT_TRUE(mux.Begin());
        ASSERT_TRUE(mux.Finish());
    }
    EXPECT_EQ((std::vector<std::string>{"Quill Profile", "WMV1", "{31564D57-0000-0010-8000-00AA00389B71}", "353"}),
              Probe(r.path, "format_tags=title,WM/VideoCodec,WM/VideoSubtype,WM/AudioFormatTag"));
}

struct FragmentCase {
    const char* name;
    uint32_t packetSize;
    int width, height;
    uint64_t packetsPerFrame;
};

class AsfFragments : public ::testing::TestWithParam<FragmentCase> {};

TEST_P(AsfFragments, PicturesSplitAcrossPacketsComeBackWhole) {
    const FragmentCase& c = GetParam();
    Recording r = Record(c.name, Info({Video(1, c.width, c.height, 24)}, c.packetSize), 1.0, 4);
    EXPECT_EQ(4 * c.packetsPerFrame, r.totals.dataPackets);
    std::vector<uint8_t> decoded = Decode(r.path, "-vf vflip -f rawvideo -pix_fmt bgr24");
    size_t frameBytes = static_cast<size_t>(c.width * c.height * 3);
    ASSERT_EQ(4 * frameBytes, decoded.size());
    for (int n = 0; n < 4; ++n) {
        std::vector<uint8_t> got(decoded.begin() + static_cast<long>(frameBytes * n),
                                 decoded.begin() + static_cast<long>(frameBytes * (n + 1)));
        EXPECT_TRUE(TopDownBgr(c.width, c.height, n) == got) << "frame " << n;
    }
}

INSTANTIATE_TEST_SUITE_P(Packets, AsfFragments,
                         ::testing::Values(
                             // 64 x 48 x 3 = 9216 bytes in 972-byte payloads: nine full fragments and a short one.
                             FragmentCase{"ten_fragments", 1000, 64, 48, 10},
                             // 32 x 16 x 3 = 1536 bytes: exactly one payload, no padding, no second packet.
                             FragmentCase{"exactly_one_packet", 1536 + kAsfPacketOverhead, 32, 16, 1},
                             // One byte short of the payload room: the last fragment holds one byte.
                             FragmentCase{"one_byte_over", 1535 + kAsfPacketOverhead, 32, 16, 2}),
                         [](const ::testing::TestParamInfo<FragmentCase>& i) { return std::string(i.param.name); });

TEST(AsfMuxer, SeekingFindsThePictureThroughTheIndex) {
    Recording r = Record("seek", Info({Video(1, 64, 48, 24)}), 4.0, 10);
    // Frame 25 starts at 2.5 s.
    std::vector<uint8_t> decoded = Decode(r.path, "-ss 2.5 -frames:v 1 -vf vflip -f rawvideo -pix_fmt bgr24");
    EXPECT_TRUE(TopDownBgr(64, 48, 25) == decoded);
    // FFmpeg's reader reports the simple index it seeks with: one entry a
    // second (3 s of preroll, then frames 10, 20, 30 and the last, 39).
    std::string entries =
        RunCommand("ffmpeg -v debug -ss 2.5 -i '" + r.path + "' -frames:v 1 -f null - 2>&1 | grep -o 'pktnum:.*'");
    EXPECT_EQ(
        "pktnum:0, pktct:1  pts: 0\npktnum:10, pktct:1  pts: 1000\npktnum:20, pktct:1  pts: 2000\n"
        "pktnum:30, pktct:1  pts: 3000\npktnum:39, pktct:1  pts: 4000\n",
        entries);
}

TEST(AsfMuxer, EmptyStreamsAreStillDeclared) {
    AsfFileInfo info = Info({Audio(1, 44100, 2, 16), Video(2, 64, 48, 24)});
    std::string path = TempAsfPath("empty_audio");
    {
        StdioOutput out(path);
        AsfMuxer mux(info, out);
        ASSERT_TRUE(mux.Begin());
        std::vector<uint8_t> f = Frame(64, 48, 24, 0);
        ASSERT_TRUE(mux.Write(1, AsfSample{f.data(), f.size(), true, 0, kSecond / 10, false}));
        ASSERT_TRUE(mux.Finish());
    }
    // ffprobe counts no packets of a stream that has none: "N/A".
    EXPECT_EQ((std::vector<std::string>{"pcm_s16le", "N/A", "rawvideo", "1"}),
              Probe(path, "stream=codec_name,nb_read_packets", "-count_packets"));

    std::string nothing = TempAsfPath("nothing");
    {
        StdioOutput out(nothing);
        AsfMuxer mux(info, out);
        ASSERT_TRUE(mux.Begin());
        ASSERT_TRUE(mux.Finish());
        EXPECT_EQ(0u, mux.Totals().dataPackets);
    }
    int code = 0;
    RunCommand("ffprobe -v error '" + nothing + "' 2>&1", &code);
    EXPECT_EQ(0, code);
    EXPECT_EQ((std::vector<std::string>{"pcm_s16le", "rawvideo"}), Probe(nothing, "stream=codec_name"));
}

TEST(AsfMuxer, GatheredSoundBreaksAtAGapAndKeepsItsTimes) {
    AsfFileInfo info = Info({Audio(1, 44100, 2, 16)});
    std::string path = TempAsfPath("gap");
    {
        StdioOutput out(path);
        AsfMuxer mux(info, out);
        ASSERT_TRUE(mux.Begin());
        std::vector<uint8_t> pcm = Pcm(1764, 0);
        // 0..100 ms, then a gap, 500..600 ms, then a discontinuity that continues in time.
        for (int i = 0; i < 10; ++i)
            ASSERT_TRUE(mux.Write(0, AsfSample{pcm.data(), pcm.size(), true, i * 100000, (i + 1) * 100000, false}));
        for (int i = 50; i < 60; ++i)
            ASSERT_TRUE(mux.Write(0, AsfSample{pcm.data(), pcm.size(), true, i * 100000, (i + 1) * 100000, false}));
        ASSERT_TRUE(mux.Write(0, AsfSample{pcm.data(), pcm.size(), true, 6000000, 6100000, true}));
        ASSERT_TRUE(mux.Finish());
    }
    EXPECT_EQ((std::vector<std::string>{"0.000000", "0.500000", "0.600000"}),
              Probe(path, "packet=pts_time", "-select_streams a"));
}

struct MisuseCase {
    const char* name;
    int step;  // 0: write before Begin, 1: bad stream, 2: Begin twice, 3: data missing, 4: bad packet size
    std::string error;
};

class AsfMisuse : public ::testing::TestWithParam<MisuseCase> {};

TEST_P(AsfMisuse, RefusesWithAReason) {
    const MisuseCase& c = GetParam();
    StdioOutput out(TempAsfPath(c.name));
    AsfMuxer mux(Info({Audio(1, 44100, 2, 16)}, c.step == 4 ? 20 : AsfMuxer::kDefaultPacketSize), out);
    uint8_t byte = 0;
    bool ok = true;
    switch (c.step) {
        case 0:
            ok = mux.Write(0, AsfSample{&byte, 1, true, 0, 1, false});
            break;
        case 1:
            ok = mux.Begin() && mux.Write(1, AsfSample{&byte, 1, true, 0, 1, false});
            break;
        case 2:
            ok = mux.Begin() && mux.Begin();
            break;
        case 3:
            ok = mux.Begin() && mux.Write(0, AsfSample{nullptr, 4, true, 0, 1, false});
            break;
        case 4:
            ok = mux.Begin();
            break;
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(c.error, mux.Error());
}

INSTANTIATE_TEST_SUITE_P(Calls, AsfMisuse,
                         ::testing::Values(MisuseCase{"write_first", 0, "the file is not open"},
                                           MisuseCase{"bad_stream", 1, "no such stream"},
                                           MisuseCase{"begin_twice", 2, "the file is already begun"},
                                           MisuseCase{"no_data", 3, "sample without data"},
                                           MisuseCase{"tiny_packets", 4, "packet size out of range"}),
                         [](const ::testing::TestParamInfo<MisuseCase>& i) { return std::string(i.param.name); });

TEST(AsfMuxer, HeaderLengthDoesNotDependOnTheTotals) {
    AsfFileInfo info = Info({Audio(1, 44100, 2, 16), Video(2, 64, 48, 24)});
    AsfTotals big;
    big.fileSize = ~0ull;
    big.dataPackets = 123456789;
    big.playDuration = 1ull << 40;
    EXPECT_EQ(BuildAsfHeader(info, AsfTotals{}).size(), BuildAsfHeader(info, big).size());
}

}  // namespace

namespace {

// A disk with room for `room` more bytes: a write that does not fit fails.
class FullDisk : public AsfOutput {
public:
    FullDisk(StdioOutput& out, uint64_t room) : m_out(out), m_room(room) {}
    bool Append(const uint8_t* data, size_t size) override {
        if (size > m_room) return false;
        m_room -= size;
        return m_out.Append(data, size);
    }
    bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) override {
        return m_out.WriteAt(offset, data, size);
    }

private:
    StdioOutput& m_out;
    uint64_t m_room;
};

}  // namespace

TEST(AsfMuxer, AFullDiskLeavesAFileThatPlaysUpToItsLastWholePacket) {
    const AsfFileInfo info = Info({Video(1, 64, 48, 24)}, 4000);
    const std::string path = TempAsfPath("fulldisk");
    StdioOutput file(path);
    const uint64_t header = BuildAsfHeader(info, AsfTotals{}).size() + kAsfDataObjectHeaderSize;
    FullDisk disk(file, header + 60 * 4000 + 1234);
    AsfMuxer mux(info, disk);
    ASSERT_TRUE(mux.Begin());
    int frames = 0;
    for (;; ++frames) {
        std::vector<uint8_t> f = Frame(64, 48, 24, frames);
        AsfSample sample{f.data(), f.size(), true, frames * kSecond / 10, (frames + 1) * kSecond / 10, false};
        if (!mux.Write(0, sample)) break;
    }
    EXPECT_FALSE(mux.Finish());
    file.Close();
    // A 64 x 48 picture (9216 bytes) takes three packets of 4000 bytes (one
    // payload each): the 60 packets hold the first 20 pictures whole.
    EXPECT_EQ(frames, 20);
    EXPECT_EQ(mux.Totals().dataPackets, 60u);
    EXPECT_EQ(mux.Totals().sendDuration, 20u * kSecond / 10);
    EXPECT_EQ(ReadFileBytes(path).size(), header + 60 * 4000);
    EXPECT_EQ(std::vector<std::string>{"2.000000"}, Probe(path, "format=duration"));
    EXPECT_EQ(std::vector<std::string>{"20"}, Probe(path, "stream=nb_read_packets", "-count_packets"));
}
