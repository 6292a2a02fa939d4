#pragma once
// One data packet's header and its payloads' headers, parsed field by field
// as the packet's flags size them: error correction data, the length type
// and property flags, packet length, sequence and padding length of 0, 1, 2
// or 4 bytes, send time and duration, then one payload or several, each with
// its stream number and key-frame bit, media object number, offset into the
// media object and replicated data (media object size and presentation
// time), or a compressed payload of whole media objects. Payload bodies are
// skipped, never read.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "recovery/RepairFile.h"

namespace recovery {

// The packets' bytes through a window of the file that moves as the parser
// asks, so the bodies between the headers stay on the disk.
class PacketWindow {
public:
    PacketWindow(RepairFile& file, uint64_t end, size_t windowSize = 4096);
    // n bytes at offset, all before end; false otherwise or when the file
    // cannot be read (then Failed() says so).
    bool Read(uint64_t offset, uint8_t* out, size_t n);
    bool Failed() const { return m_failed; }

private:
    RepairFile& m_file;
    uint64_t m_end;
    std::vector<uint8_t> m_window;
    uint64_t m_start = 0;
    size_t m_length = 0;
    bool m_failed = false;
};

struct AsfPayload {
    uint8_t stream = 0;
    bool keyFrame = false;
    uint32_t objectNumber = 0;
    uint32_t objectOffset = 0;  // into the media object; 0 begins one
    bool timed = false;         // replicated data gave the presentation time
    uint32_t presentationMs = 0;
    uint32_t objectSize = 0;
    // A compressed payload: `objects` whole media objects, the first at
    // presentationMs, each timeDeltaMs after the one before.
    bool compressed = false;
    uint32_t objects = 1;
    uint32_t timeDeltaMs = 0;
};

struct AsfPacketInfo {
    uint32_t sendTimeMs = 0;
    uint16_t durationMs = 0;
    std::vector<AsfPayload> payloads;
};

enum class PacketParse { Ok, Unreadable, ReadFailed };

PacketParse ParsePacket(PacketWindow& window, uint64_t offset, uint32_t packetSize, AsfPacketInfo& packet);

}  // namespace recovery
