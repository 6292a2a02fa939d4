#pragma once
// The ASF header object (file properties, one stream properties object per
// stream, the header extension, content description and extended content
// description) and the fixed part of the data object. The header's length
// depends only on the file info, never on the totals, so the finished
// header can be written over the first one in place.

#include <cstdint>
#include <vector>

#include "winetest/asfwriter/AsfFileInfo.h"

// Header flags of the file properties: seekable, not a broadcast.
inline constexpr uint32_t kAsfFlagSeekable = 0x02;
// The data object's fixed part: GUID, size, file id, packet count, reserved.
inline constexpr uint64_t kAsfDataObjectHeaderSize = 50;

std::vector<uint8_t> BuildAsfHeader(const AsfFileInfo& info, const AsfTotals& totals);
std::vector<uint8_t> BuildAsfDataObjectHeader(const AsfFileInfo& info, const AsfTotals& totals);
