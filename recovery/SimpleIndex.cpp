#include "recovery/SimpleIndex.h"

#include <algorithm>

#include "recovery/LittleEndian.h"

namespace recovery {
uint64_t SimpleIndexEntries(uint64_t endMs) { return endMs * 10000 / kIndexInterval + 1; }

std::vector<uint8_t> BuildSimpleIndex(const AsfGuid& fileId, const std::vector<KeyFrame>& keys, uint64_t endMs) {
    if (keys.empty()) return {};
    std::vector<KeyFrame> sorted = keys;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const KeyFrame& a, const KeyFrame& b) { return a.timeMs < b.timeMs; });
    for (const KeyFrame& k : sorted)
        if (k.packet > UINT32_MAX) return {};

    const uint64_t count = SimpleIndexEntries(endMs);
    std::vector<uint8_t> out(static_cast<size_t>(kSimpleIndexHeadSize + count * kIndexEntrySize));
    std::copy(kSimpleIndexId.begin(), kSimpleIndexId.end(), out.begin());
    PutLe64(&out[16], out.size());
    std::copy(fileId.begin(), fileId.end(), out.begin() + 24);
    PutLe64(&out[40], kIndexInterval);
    PutLe32(&out[52], static_cast<uint32_t>(count));

    // Before the first key frame the entries point at it: there is nothing
    // earlier to start from.
    uint16_t maxPackets = 0;
    size_t k = 0;
    for (uint64_t i = 0; i < count; ++i) {
        const uint64_t t = i * kIndexInterval;
        while (k + 1 < sorted.size() && sorted[k + 1].timeMs * 10000 <= t) ++k;
        const uint16_t packets = static_cast<uint16_t>(std::min<uint64_t>(sorted[k].packets, UINT16_MAX));
        uint8_t* e = &out[static_cast<size_t>(kSimpleIndexHeadSize + i * kIndexEntrySize)];
        PutLe32(e, static_cast<uint32_t>(sorted[k].packet));
        PutLe16(e + 4, packets);
        maxPackets = std::max(maxPackets, packets);
    }
    PutLe32(&out[48], maxPackets);
    return out;
}

}  // namespace recovery
