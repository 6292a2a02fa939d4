#pragma once
// One pass over the data packets' headers: how many could be read, when the
// last one was sent, when each stream's media objects are presented, and
// where every video key frame lies, for the simple index.

#include <cstdint>
#include <vector>

#include "recovery/AsfLayout.h"

namespace recovery {

struct KeyFrame {
    uint64_t timeMs = 0;   // presentation time, the preroll included
    uint64_t packet = 0;   // where the media object begins
    uint64_t packets = 1;  // packets it spans
};

struct StreamTimes {
    bool any = false;
    bool twoTimes = false;
    uint64_t latestMs = 0;    // the latest media object's presentation time
    uint64_t previousMs = 0;  // the latest one before it
    uint32_t latestSize = 0;  // that object's size, 0 when unknown
};

struct VideoTrack {
    uint8_t stream = 0;
    std::vector<KeyFrame> keys;  // in packet order
    // The media object being read and the packets it has reached.
    bool open = false;
    bool openKey = false;
    uint32_t openNumber = 0;
    KeyFrame openFrame;
};

struct PacketScan {
    uint64_t readable = 0;
    uint64_t unreadable = 0;
    uint64_t sendEndMs = 0;          // the latest send time plus its packet's duration
    std::vector<StreamTimes> times;  // parallel to AsfLayout::streams
    std::vector<VideoTrack> video;   // the video streams by stream number
};

// False only when the file could not be read.
bool ScanPackets(RepairFile& file, const AsfLayout& layout, PacketScan& scan);

// When a stream's last media object ends, the preroll included: its
// presentation time plus its length, which a wave format gives an audio
// object and the distance from the object before gives the others. 0 for a
// stream without objects.
uint64_t StreamEndMs(const AsfLayout& layout, const PacketScan& scan, uint8_t stream);
// The latest end of all streams.
uint64_t PresentationEndMs(const AsfLayout& layout, const PacketScan& scan);

}  // namespace recovery
