#include "winetest/asfwriter/AsfSimpleIndex.h"

#include <algorithm>

#include "winetest/asfwriter/AsfBytes.h"

void AsfSimpleIndex::AddKeyObject(uint32_t presentationMs, uint32_t firstPacket, uint32_t packetCount) {
    uint16_t count = static_cast<uint16_t>(std::min<uint32_t>(packetCount, 0xFFFF));
    m_objects.push_back({static_cast<uint64_t>(presentationMs) * 10000, firstPacket, count});
}

std::vector<uint8_t> AsfSimpleIndex::Build(const AsfGuid& fileId, uint64_t playDuration) const {
    uint32_t entries = static_cast<uint32_t>(playDuration / kInterval + 1);
    AsfBytes b;
    size_t start = b.BeginObject(asf::kSimpleIndexObject);
    b.Guid(fileId);
    b.U64(kInterval);
    size_t maxCountAt = b.Size();
    b.U32(0);
    b.U32(entries);
    uint32_t maxCount = 0;
    size_t next = 0;
    for (uint32_t i = 0; i < entries; ++i) {
        uint64_t t = static_cast<uint64_t>(i) * kInterval;
        while (next + 1 < m_objects.size() && m_objects[next + 1].time <= t) ++next;
        const Object& o = m_objects[next];
        b.U32(o.packet);
        b.U16(o.count);
        maxCount = std::max<uint32_t>(maxCount, o.count);
    }
    b.PatchU32(maxCountAt, maxCount);
    b.EndObject(start);
    return b.Take();
}
