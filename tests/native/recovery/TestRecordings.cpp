#include "tests/native/recovery/TestRecordings.h"

#include <algorithm>

#include "recovery/AsfLayout.h"
#include "recovery/LittleEndian.h"
#include "winetest/asfwriter/AsfMuxer.h"

namespace {

constexpr int64_t kSecond = 10000000;

class MemoryOutput final : public AsfOutput {
public:
    Bytes bytes;
    bool Append(const uint8_t* data, size_t size) override {
        bytes.insert(bytes.end(), data, data + size);
        return true;
    }
    bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) override {
        if (bytes.size() < offset + size) bytes.resize(offset + size);
        std::copy(data, data + size, bytes.begin() + static_cast<long>(offset));
        return true;
    }
};

void Put(Bytes& b, const recovery::AsfGuid& id) { b.insert(b.end(), id.begin(), id.end()); }
void Put8(Bytes& b, uint8_t v) { b.push_back(v); }
void Put16(Bytes& b, uint16_t v) {
    b.resize(b.size() + 2);
    recovery::PutLe16(&b[b.size() - 2], v);
}
void Put32(Bytes& b, uint32_t v) {
    b.resize(b.size() + 4);
    recovery::PutLe32(&b[b.size() - 4], v);
}
void Put64(Bytes& b, uint64_t v) {
    b.resize(b.size() + 8);
    recovery::PutLe64(&b[b.size() - 8], v);
}

Bytes Packet(const BuiltPacket& p, uint32_t packetSize) {
    const bool multiple = p.payloads.size() > 1;
    Bytes b;
    if (p.errorCorrection) b.insert(b.end(), {0x82, 0x00, 0x00});
    // Padding length a WORD; packet length a WORD when present.
    Put8(b, static_cast<uint8_t>((multiple ? 0x01 : 0) | 0x10 | (p.lengthField ? 0x40 : 0)));
    Put8(b, p.propertyFlags);
    const size_t lengthAt = b.size();
    if (p.lengthField) Put16(b, 0);
    const size_t paddingAt = b.size();
    Put16(b, 0);
    Put32(b, p.sendMs);
    Put16(b, p.durationMs);
    if (multiple) Put8(b, static_cast<uint8_t>(0x80 | p.payloads.size()));
    for (const BuiltPayload& q : p.payloads) {
        Put8(b, static_cast<uint8_t>(q.stream | (q.key ? 0x80 : 0)));
        Put8(b, q.object);
        Put32(b, q.subPayloads ? q.presentationMs : q.offset);
        if (q.subPayloads) {
            Put8(b, 1);
            Put8(b, q.deltaMs);
        } else {
            Put8(b, 8);
            Put32(b, q.objectSize);
            Put32(b, q.presentationMs);
        }
        const uint16_t length = q.subPayloads ? static_cast<uint16_t>(q.subPayloads * 11) : q.length;
        if (multiple) Put16(b, length);
        for (int i = 0; i < q.subPayloads; ++i) {
            Put8(b, 10);
            b.resize(b.size() + 10, 0xAA);
        }
        if (!q.subPayloads) b.resize(b.size() + length, 0x55);
    }
    const uint32_t packetLength = p.lengthField ? packetSize - 4 : packetSize;
    recovery::PutLe16(&b[paddingAt], static_cast<uint16_t>(packetLength - b.size()));
    if (p.lengthField) recovery::PutLe16(&b[lengthAt], static_cast<uint16_t>(packetLength));
    b.resize(packetSize, 0);
    return b;
}

}  // namespace

Bytes Record(const Take& take, bool finish) {
    AsfFileInfo info;
    info.fileId = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
    info.prerollMs = AsfMuxer::kDefaultPrerollMs;
    info.packetSize = take.packetSize;
    AsfStreamInfo audio;
    audio.kind = AsfStreamKind::Audio;
    audio.number = 1;
    audio.audio = {1, 2, 44100, 176400, 4, 16};
    AsfStreamInfo video;
    video.kind = AsfStreamKind::Video;
    video.number = 2;
    video.video = {64, 48, 24, 0, 64 * 48 * 3};
    if (take.audio) info.streams.push_back(audio);
    if (take.video) info.streams.push_back(video);

    MemoryOutput out;
    AsfMuxer mux(info, out);
    mux.Begin();
    const int64_t end = static_cast<int64_t>(take.seconds * kSecond);
    Bytes pcm(1764), frame(64 * 48 * 3);
    int64_t audioAt = 0, videoAt = 0;
    for (uint8_t n = 0; (take.audio && audioAt < end) || (take.video && videoAt < end); ++n) {
        if (take.audio && audioAt < end && (!take.video || videoAt >= end || audioAt <= videoAt)) {
            std::fill(pcm.begin(), pcm.end(), n);
            mux.Write(0, AsfSample{pcm.data(), pcm.size(), true, audioAt, audioAt + kSecond / 100, false});
            audioAt += kSecond / 100;
        } else {
            std::fill(frame.begin(), frame.end(), n);
            mux.Write(take.audio ? 1 : 0,
                      AsfSample{frame.data(), frame.size(), true, videoAt, videoAt + kSecond / take.fps, false});
            videoAt += kSecond / take.fps;
        }
    }
    if (finish) mux.Finish();
    return out.bytes;
}

Bytes BuildAsf(const std::vector<BuiltStream>& streams, const std::vector<BuiltPacket>& packets, uint32_t packetSize,
               uint32_t prerollMs) {
    using namespace recovery;
    Bytes h;
    Put(h, kHeaderObjectId);
    Put64(h, 0);
    Put32(h, static_cast<uint32_t>(streams.size() + 1));
    h.insert(h.end(), {0x01, 0x02});
    Put(h, kFilePropertiesId);
    Put64(h, kFilePropertiesSize);
    h.resize(h.size() + 16, 0x11);  // file id
    h.resize(h.size() + 5 * 8, 0);  // size, creation, packets, play, send
    Put64(h, prerollMs);
    Put32(h, kBroadcastFlag);
    Put32(h, packetSize);
    Put32(h, packetSize);
    Put32(h, 0);
    for (const BuiltStream& s : streams) {
        const uint32_t typeSpecific = s.video ? 0 : 18;
        Put(h, kStreamPropertiesId);
        Put64(h, 78 + typeSpecific);
        Put(h, s.video ? kVideoMediaId : kAudioMediaId);
        h.resize(h.size() + 16 + 8, 0);  // error correction type, time offset
        Put32(h, typeSpecific);
        Put32(h, 0);
        Put16(h, s.number);
        Put32(h, 0);
        if (!s.video) {  // WAVEFORMATEX
            Put16(h, 1);
            Put16(h, 1);
            Put32(h, s.avgBytesPerSec);
            Put32(h, s.avgBytesPerSec);
            Put16(h, 1);
            Put16(h, 8);
            Put16(h, 0);
        }
    }
    PutLe64(&h[16], h.size());
    Put(h, kDataObjectId);
    Put64(h, 0);
    h.resize(h.size() + 16, 0x11);
    Put64(h, 0);
    h.insert(h.end(), {0x01, 0x01});
    for (const BuiltPacket& p : packets) {
        Bytes b = Packet(p, packetSize);
        h.insert(h.end(), b.begin(), b.end());
    }
    return h;
}

std::vector<BuiltPacket> MixedPackets() {
    BuiltPayload key0{2, true, 0, 0, 700, 1000, 400};
    BuiltPayload key0Rest = key0;
    key0Rest.offset = 400;
    key0Rest.length = 300;
    const BuiltPayload compressed{1, true, 2, 0, 0, 1020, 0, 3, 10};
    return {{0, 0, true, false, 0x5D, {key0}},
            {10, 0, false, true, 0x5D, {key0Rest}},
            {20,
             0,
             true,
             false,
             0x5D,
             {{1, true, 0, 0, 80, 1000, 80}, {1, true, 1, 0, 80, 1010, 80}, {2, false, 1, 0, 100, 1500, 100}}},
            {30, 5, true, false, 0x5D, {compressed}},
            {1200, 0, true, false, 0x5D, {{2, true, 2, 0, 100, 2600, 100}}},
            {1300, 40, false, false, 0x5D, {{1, true, 5, 0, 80, 2500, 80}, {2, false, 3, 0, 50, 3100, 50}}}};
}

const std::vector<BuiltStream> kMixedStreams = {{1, false, 8000}, {2, true, 0}};

std::vector<Bytes> FuzzSeeds() {
    Take av;
    av.seconds = 0.3;
    av.packetSize = 1000;
    Take audio = av;
    audio.video = false;
    return {Record(av, false), Record(av, true), Record(audio, false),
            BuildAsf(kMixedStreams, MixedPackets(), kMixedPacketSize, kMixedPreroll)};
}

uint64_t Read64(const Bytes& b, size_t at) { return recovery::Le64(&b[at]); }
void Write64(Bytes& b, size_t at, uint64_t v) { recovery::PutLe64(&b[at], v); }
void Write32(Bytes& b, size_t at, uint32_t v) { recovery::PutLe32(&b[at], v); }
