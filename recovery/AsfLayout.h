#pragma once
// Where things are in a recording: the header object and the fields of its
// file properties that a repair rewrites, the streams it declares, the data
// object and how many whole packets it really holds, and the top-level
// objects after the packets. Everything is checked against the file's length
// before it is used; a header whose objects run outside it is not understood.

#include <array>
#include <cstdint>
#include <vector>

#include "recovery/RepairFile.h"

namespace recovery {

using AsfGuid = std::array<uint8_t, 16>;

// A GUID in the file's byte order: the first three groups little-endian.
constexpr AsfGuid MakeAsfGuid(uint32_t d1, uint16_t d2, uint16_t d3, uint64_t d4) {
    return {static_cast<uint8_t>(d1),       static_cast<uint8_t>(d1 >> 8),  static_cast<uint8_t>(d1 >> 16),
            static_cast<uint8_t>(d1 >> 24), static_cast<uint8_t>(d2),       static_cast<uint8_t>(d2 >> 8),
            static_cast<uint8_t>(d3),       static_cast<uint8_t>(d3 >> 8),  static_cast<uint8_t>(d4 >> 56),
            static_cast<uint8_t>(d4 >> 48), static_cast<uint8_t>(d4 >> 40), static_cast<uint8_t>(d4 >> 32),
            static_cast<uint8_t>(d4 >> 24), static_cast<uint8_t>(d4 >> 16), static_cast<uint8_t>(d4 >> 8),
            static_cast<uint8_t>(d4)};
}

inline constexpr AsfGuid kHeaderObjectId = MakeAsfGuid(0x75B22630, 0x668E, 0x11CF, 0xA6D900AA0062CE6C);
inline constexpr AsfGuid kFilePropertiesId = MakeAsfGuid(0x8CABDCA1, 0xA947, 0x11CF, 0x8EE400C00C205365);
inline constexpr AsfGuid kStreamPropertiesId = MakeAsfGuid(0xB7DC0791, 0xA9B7, 0x11CF, 0x8EE600C00C205365);
inline constexpr AsfGuid kDataObjectId = MakeAsfGuid(0x75B22636, 0x668E, 0x11CF, 0xA6D900AA0062CE6C);
inline constexpr AsfGuid kSimpleIndexId = MakeAsfGuid(0x33000890, 0xE5B1, 0x11CF, 0x89F400A0C90349CB);
inline constexpr AsfGuid kIndexObjectId = MakeAsfGuid(0xD6E229D3, 0x35DA, 0x11D1, 0x903400A0C90349BE);
inline constexpr AsfGuid kVideoMediaId = MakeAsfGuid(0xBC19EFC0, 0x5B4D, 0x11CF, 0xA8FD00805F5C442B);
inline constexpr AsfGuid kAudioMediaId = MakeAsfGuid(0xF8699E40, 0x5B4D, 0x11CF, 0xA8FD00805F5C442B);

// Object sizes and field offsets, from the start of their object.
constexpr uint64_t kObjectHeadSize = 24;  // GUID and QWORD size
constexpr uint64_t kHeaderObjectHeadSize = 30;
constexpr uint64_t kFilePropertiesSize = 104;
constexpr uint64_t kDataObjectHeadSize = 50;
constexpr uint64_t kFileSizeField = 40;
constexpr uint64_t kDataPacketsField = 56;
constexpr uint64_t kPlayDurationField = 64;
constexpr uint64_t kSendDurationField = 72;
constexpr uint64_t kPrerollField = 80;
constexpr uint64_t kFlagsField = 88;
constexpr uint64_t kDataObjectSizeField = 16;
constexpr uint64_t kDataObjectPacketsField = 40;

constexpr uint32_t kBroadcastFlag = 1;
constexpr uint32_t kSeekableFlag = 2;

// What a repair reads and may rewrite.
struct AsfHeaderFields {
    uint64_t fileSize = 0;
    uint64_t dataPackets = 0;
    uint64_t playDuration = 0;  // 100-ns units, the preroll included
    uint64_t sendDuration = 0;  // 100-ns units
    uint64_t prerollMs = 0;
    uint32_t flags = 0;
    uint64_t dataObjectSize = 0;
    uint64_t dataObjectPackets = 0;
    bool operator==(const AsfHeaderFields& o) const {
        return fileSize == o.fileSize && dataPackets == o.dataPackets && playDuration == o.playDuration &&
               sendDuration == o.sendDuration && prerollMs == o.prerollMs && flags == o.flags &&
               dataObjectSize == o.dataObjectSize && dataObjectPackets == o.dataObjectPackets;
    }
    bool operator!=(const AsfHeaderFields& o) const { return !(*this == o); }
};

struct AsfStream {
    uint8_t number = 0;  // 1..127
    bool video = false;
    uint32_t avgBytesPerSec = 0;  // audio with a wave format, else 0
};

struct AsfTopObject {
    AsfGuid id{};
    uint64_t offset = 0;
    uint64_t size = 0;
};

struct AsfLayout {
    uint64_t fileLength = 0;
    uint64_t headerSize = 0;
    uint64_t filePropertiesOffset = 0;
    AsfGuid fileId{};
    AsfHeaderFields fields;
    uint32_t packetSize = 0;
    std::vector<AsfStream> streams;  // in the header's order, numbers unique
    uint64_t dataOffset = 0;         // the data object
    uint64_t firstPacket = 0;
    uint64_t packetCount = 0;  // whole packets
    uint64_t tornBytes = 0;    // of a last packet cut short
    // The data object's size field ends it at a whole packet and top-level
    // objects follow it up to the end of the file.
    bool dataSizeHolds = false;
    std::vector<AsfTopObject> trailing;  // those objects, in file order

    uint64_t DataEnd() const { return firstPacket + packetCount * packetSize; }
    const AsfStream* Stream(uint8_t number) const;
};

enum class LayoutError {
    None,
    ReadFailed,        // the file could not be read
    NotAsf,            // no header object at its start
    HeaderCut,         // the file ends inside the header or the data object's head
    HeaderDamaged,     // sizes that overflow, run outside their parent, missing or doubled objects
    PacketSizeVaries,  // minimum and maximum packet size differ
    NoDataObject,      // something else follows the header
};

// A header larger than this is not read (real ones are a few kilobytes).
constexpr uint64_t kMaxHeaderSize = 16u << 20;
// Smaller packets cannot hold a packet's header and one payload.
constexpr uint32_t kMinPacketSize = 32;

LayoutError ReadAsfLayout(RepairFile& file, AsfLayout& layout);

}  // namespace recovery
