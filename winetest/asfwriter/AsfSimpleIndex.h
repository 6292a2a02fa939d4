#pragma once
// The simple index object: for every interval of presentation time, the
// packet where the latest key object at or before that time starts, and
// how many packets it spans. Readers use it to seek.

#include <cstdint>
#include <vector>

#include "winetest/asfwriter/AsfGuid.h"

class AsfSimpleIndex {
public:
    static constexpr uint64_t kInterval = 10000000;  // one second in 100-ns units

    // Objects in presentation order; times include the preroll.
    void AddKeyObject(uint32_t presentationMs, uint32_t firstPacket, uint32_t packetCount);
    bool Empty() const { return m_objects.empty(); }
    // playDuration: 100-ns units including the preroll.
    std::vector<uint8_t> Build(const AsfGuid& fileId, uint64_t playDuration) const;

private:
    struct Object {
        uint64_t time;
        uint32_t packet;
        uint16_t count;
    };
    std::vector<Object> m_objects;
};
