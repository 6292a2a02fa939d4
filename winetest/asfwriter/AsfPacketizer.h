#pragma once
// Cuts media objects into fixed-size ASF data packets, one payload per
// packet: a media object larger than a packet's payload room is split into
// fragments that carry their offset in the object; the last packet of an
// object is padded to the packet size.
//
// Packet layout (what the readers accept for fixed-size packets):
//   error correction 0x82 0x00 0x00
//   length type flags 0x10 (no packet length: the header's fixed size;
//     padding length as a WORD; no sequence; single payload)
//   property flags 0x5D (replicated data length BYTE, offset DWORD,
//     object number BYTE, stream number BYTE)
//   padding length WORD, send time DWORD (ms), duration WORD
//   payload: stream number (bit 7 = key frame), object number, offset,
//     replicated data length 8, object size DWORD, presentation time DWORD
//     (ms, including the preroll), then the data.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "winetest/asfwriter/AsfOutput.h"

inline constexpr uint32_t kAsfPacketOverhead = 13 + 15;

struct AsfMediaObject {
    uint8_t stream = 1;
    uint8_t objectNumber = 0;
    bool keyFrame = true;
    uint32_t presentationMs = 0;  // including the preroll
    uint32_t sendMs = 0;
    const uint8_t* data = nullptr;
    uint32_t size = 0;
};

class AsfPacketizer {
public:
    explicit AsfPacketizer(uint32_t packetSize);

    // Payload bytes one packet carries.
    uint32_t PayloadRoom() const { return m_packetSize - kAsfPacketOverhead; }
    // Writes the packets of one object; false when the output fails.
    bool Write(const AsfMediaObject& object, AsfOutput& out);
    uint64_t PacketsWritten() const { return m_packets; }

private:
    uint32_t m_packetSize;
    uint64_t m_packets = 0;
    std::vector<uint8_t> m_packet;
};
