#pragma once
// The Simple Index Object of one video stream: for every second of the
// presentation, the packet where the latest key frame at or before it
// begins and how many packets that key frame spans. Its times are the
// presentation times as the payloads carry them, the preroll included, so
// the first entries before the preroll ends all point at the first key
// frame.

#include <cstdint>
#include <vector>

#include "recovery/AsfLayout.h"
#include "recovery/PacketScan.h"

namespace recovery {

constexpr uint64_t kIndexInterval = 10000000;  // 1 s in 100-ns units
constexpr uint64_t kSimpleIndexHeadSize = 56;
constexpr uint64_t kIndexEntrySize = 6;

// Entries of an index running to the stream's end (in ms).
uint64_t SimpleIndexEntries(uint64_t endMs);

// The whole object; empty when the stream has no key frame or one lies
// beyond the packet numbers an index can hold.
std::vector<uint8_t> BuildSimpleIndex(const AsfGuid& fileId, const std::vector<KeyFrame>& keys, uint64_t endMs);

}  // namespace recovery
