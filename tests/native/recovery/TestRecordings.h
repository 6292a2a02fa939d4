#pragma once
// Test input for the repair: recordings written by the ASF writer
// stand-in's muxer (finished, or left as a killed writer leaves them), and
// small files built packet by packet for shapes that muxer never writes.

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// A few seconds of PCM sound (44.1 kHz stereo, 10 ms samples) and RGB24
// pictures.
struct Take {
    bool audio = true;
    bool video = true;
    double seconds = 3.0;
    int fps = 10;
    uint32_t packetSize = 32000;
};

// finish = false: the muxer never writes its totals or its index, as when
// the recorder's process is killed.
Bytes Record(const Take& take, bool finish);

struct BuiltPayload {
    uint8_t stream = 1;
    bool key = false;
    uint8_t object = 0;
    uint32_t offset = 0;  // into the media object
    uint32_t objectSize = 0;
    uint32_t presentationMs = 0;
    uint16_t length = 0;      // payload bytes; compressed: sub-payloads of 10 bytes
    uint8_t subPayloads = 0;  // > 0: a compressed payload
    uint8_t deltaMs = 0;
};

struct BuiltPacket {
    uint32_t sendMs = 0;
    uint16_t durationMs = 0;
    bool errorCorrection = true;  // else the packet starts with its length type flags
    bool lengthField = false;     // a packet length field, 4 bytes short of the packet size
    uint8_t propertyFlags = 0x5D;
    std::vector<BuiltPayload> payloads;  // more than one: a multiple-payload packet
};

struct BuiltStream {
    uint8_t number = 1;
    bool video = false;
    uint32_t avgBytesPerSec = 0;  // audio
};

// Header (file properties as a killed writer leaves them: zero totals,
// broadcast flag), data object of unknown size and the packets.
Bytes BuildAsf(const std::vector<BuiltStream>& streams, const std::vector<BuiltPacket>& packets, uint32_t packetSize,
               uint32_t prerollMs);

// Sound (stream 1, 8000 bytes/s) and pictures (stream 2) in packets of
// every shape: with and without error correction data and a packet length
// field, three payloads in one, a compressed payload of three. Picture 0 is
// a key frame in packets 0 and 1, picture 2 one in packet 4; the last
// picture is presented at 3.1 s, 0.5 s after the one before; the last sound
// object at 2.5 s lasts 10 ms (80 bytes); the last packet is sent at 1.3 s
// for 40 ms. Packets of 512 bytes, 1 s of preroll.
std::vector<BuiltPacket> MixedPackets();
extern const std::vector<BuiltStream> kMixedStreams;
constexpr uint32_t kMixedPacketSize = 512;
constexpr uint32_t kMixedPreroll = 1000;

// Small recordings of every kind, to be mutated.
std::vector<Bytes> FuzzSeeds();

uint64_t Read64(const Bytes& b, size_t at);
void Write64(Bytes& b, size_t at, uint64_t v);
void Write32(Bytes& b, size_t at, uint32_t v);
// Offset of the file properties object (first after the header object's head).
constexpr size_t kProperties = 30;
