#include "recovery/AsfLayout.h"

#include <cstring>

#include "recovery/LittleEndian.h"

namespace recovery {
namespace {

constexpr uint64_t kStreamPropertiesFixedSize = 78;
// Top-level objects after the packets: an index per stream and a few more.
constexpr size_t kMaxTrailingObjects = 1024;

bool IsId(const uint8_t* p, const AsfGuid& id) { return std::memcmp(p, id.data(), id.size()) == 0; }

void ReadFileProperties(const uint8_t* obj, uint64_t offset, AsfLayout& layout) {
    layout.filePropertiesOffset = offset;
    std::memcpy(layout.fileId.data(), obj + 24, layout.fileId.size());
    AsfHeaderFields& f = layout.fields;
    f.fileSize = Le64(obj + kFileSizeField);
    f.dataPackets = Le64(obj + kDataPacketsField);
    f.playDuration = Le64(obj + kPlayDurationField);
    f.sendDuration = Le64(obj + kSendDurationField);
    f.prerollMs = Le64(obj + kPrerollField);
    f.flags = Le32(obj + kFlagsField);
}

bool ReadStreamProperties(const uint8_t* obj, uint64_t size, AsfLayout& layout) {
    if (size < kStreamPropertiesFixedSize) return false;
    const uint64_t typeSpecific = Le32(obj + 64);
    const uint64_t errorCorrection = Le32(obj + 68);
    if (typeSpecific + errorCorrection > size - kStreamPropertiesFixedSize) return false;
    AsfStream s;
    s.number = static_cast<uint8_t>(Le16(obj + 72) & 0x7F);
    if (s.number == 0) return false;
    s.video = IsId(obj + 24, kVideoMediaId);
    // A wave format: its average bytes per second tell an audio object's length.
    if (IsId(obj + 24, kAudioMediaId) && typeSpecific >= 16)
        s.avgBytesPerSec = Le32(obj + kStreamPropertiesFixedSize + 8);
    if (!layout.Stream(s.number)) layout.streams.push_back(s);
    return true;
}

LayoutError ReadHeaderObjects(const std::vector<uint8_t>& header, AsfLayout& layout) {
    bool haveProperties = false;
    const uint64_t end = header.size();
    uint64_t pos = kHeaderObjectHeadSize;
    while (pos < end) {
        if (end - pos < kObjectHeadSize) return LayoutError::HeaderDamaged;
        const uint8_t* obj = header.data() + pos;
        const uint64_t size = Le64(obj + 16);
        if (size < kObjectHeadSize || size > end - pos) return LayoutError::HeaderDamaged;
        if (IsId(obj, kFilePropertiesId)) {
            if (haveProperties || size < kFilePropertiesSize) return LayoutError::HeaderDamaged;
            haveProperties = true;
            ReadFileProperties(obj, pos, layout);
            const uint32_t minSize = Le32(obj + 92);
            const uint32_t maxSize = Le32(obj + 96);
            if (minSize != maxSize) return LayoutError::PacketSizeVaries;
            layout.packetSize = minSize;
        } else if (IsId(obj, kStreamPropertiesId)) {
            if (!ReadStreamProperties(obj, size, layout)) return LayoutError::HeaderDamaged;
        }
        pos += size;
    }
    if (!haveProperties || layout.packetSize < kMinPacketSize) return LayoutError::HeaderDamaged;
    // The preroll is in milliseconds; beyond 32 bits it is no time a writer meant.
    if (layout.fields.prerollMs > UINT32_MAX) return LayoutError::HeaderDamaged;
    return LayoutError::None;
}

// The chain of top-level objects from `from` to the end of the file, each
// one inside it; false when the bytes there are no such chain.
bool ReadTrailingObjects(RepairFile& file, uint64_t from, uint64_t end, std::vector<AsfTopObject>& objects,
                         bool& readFailed) {
    objects.clear();
    uint64_t pos = from;
    while (pos < end) {
        uint8_t head[kObjectHeadSize];
        if (end - pos < kObjectHeadSize || objects.size() == kMaxTrailingObjects) return false;
        if (!file.ReadAt(pos, head, sizeof head)) {
            readFailed = true;
            return false;
        }
        AsfTopObject obj;
        std::memcpy(obj.id.data(), head, obj.id.size());
        obj.offset = pos;
        obj.size = Le64(head + 16);
        if (obj.size < kObjectHeadSize || obj.size > end - pos) return false;
        objects.push_back(obj);
        pos += obj.size;
    }
    return true;
}

}  // namespace

const AsfStream* AsfLayout::Stream(uint8_t number) const {
    for (const AsfStream& s : streams)
        if (s.number == number) return &s;
    return nullptr;
}

LayoutError ReadAsfLayout(RepairFile& file, AsfLayout& layout) {
    layout = AsfLayout{};
    uint64_t length = 0;
    if (!file.Size(length)) return LayoutError::ReadFailed;
    layout.fileLength = length;

    uint8_t head[kHeaderObjectHeadSize];
    if (length < kHeaderObjectId.size()) return LayoutError::NotAsf;
    const size_t headBytes = length < sizeof head ? static_cast<size_t>(length) : sizeof head;
    if (!file.ReadAt(0, head, headBytes)) return LayoutError::ReadFailed;
    if (!IsId(head, kHeaderObjectId)) return LayoutError::NotAsf;
    if (headBytes < sizeof head) return LayoutError::HeaderCut;
    const uint64_t headerSize = Le64(head + 16);
    if (headerSize < kHeaderObjectHeadSize || headerSize > kMaxHeaderSize) return LayoutError::HeaderDamaged;
    if (headerSize > length) return LayoutError::HeaderCut;
    layout.headerSize = headerSize;

    std::vector<uint8_t> header(static_cast<size_t>(headerSize));
    if (!file.ReadAt(0, header.data(), header.size())) return LayoutError::ReadFailed;
    if (LayoutError e = ReadHeaderObjects(header, layout); e != LayoutError::None) return e;

    if (length - headerSize < kDataObjectHeadSize) return LayoutError::HeaderCut;
    uint8_t data[kDataObjectHeadSize];
    if (!file.ReadAt(headerSize, data, sizeof data)) return LayoutError::ReadFailed;
    if (!IsId(data, kDataObjectId)) return LayoutError::NoDataObject;
    layout.dataOffset = headerSize;
    layout.firstPacket = headerSize + kDataObjectHeadSize;
    layout.fields.dataObjectSize = Le64(data + kDataObjectSizeField);
    layout.fields.dataObjectPackets = Le64(data + kDataObjectPacketsField);

    // A writer that dies leaves the data object's size as it began (zero
    // while broadcasting, or its bare head): its packets then run to the
    // end of the file. The size is believed only when it ends at a whole
    // packet and whole objects follow it to the end.
    const uint64_t ps = layout.packetSize;
    const uint64_t declared = layout.fields.dataObjectSize;
    bool readFailed = false;
    if (declared >= kDataObjectHeadSize && (declared - kDataObjectHeadSize) % ps == 0 &&
        declared <= length - layout.dataOffset &&
        ReadTrailingObjects(file, layout.dataOffset + declared, length, layout.trailing, readFailed)) {
        layout.dataSizeHolds = true;
        layout.packetCount = (declared - kDataObjectHeadSize) / ps;
        return LayoutError::None;
    }
    if (readFailed) return LayoutError::ReadFailed;
    layout.trailing.clear();
    const uint64_t available = length - layout.firstPacket;
    layout.packetCount = available / ps;
    layout.tornBytes = available % ps;
    return LayoutError::None;
}

}  // namespace recovery
