#pragma once
// AsfMuxer: writes one ASF file from timed samples of its streams, in the
// order they arrive. Begin writes a provisional header and the data
// object's head; every sample becomes one media object (key frame, time =
// sample start in ms + the preroll); Finish writes the simple index and
// rewrites the header with the totals, after which the file is complete.
//
// Audio samples that continue one another (the next starts where the last
// ended, no discontinuity) are gathered into one media object of up to one
// packet's payload room: with one payload per packet, a 10 ms sound packet
// would otherwise fill a whole data packet with padding.
//
// Not thread-safe: the caller serialises calls (one muxing lock).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "winetest/asfwriter/AsfFileInfo.h"
#include "winetest/asfwriter/AsfOutput.h"
#include "winetest/asfwriter/AsfPacketizer.h"
#include "winetest/asfwriter/AsfSimpleIndex.h"

struct AsfSample {
    const uint8_t* data = nullptr;
    size_t size = 0;
    bool timed = false;  // without times the sample follows the last one
    int64_t start = 0;   // 100-ns units of stream time
    int64_t stop = 0;
    bool discontinuity = false;
};

class AsfMuxer {
public:
    // 32000-byte packets: a 640 x 480 RGB24 picture takes 29 packets and
    // the 28 bytes of packet overhead stay below 0.1 %; a gathered audio
    // object of 44.1 kHz stereo PCM fills one packet with 181 ms of sound.
    static constexpr uint32_t kDefaultPacketSize = 32000;
    static constexpr uint32_t kDefaultPrerollMs = 3000;

    AsfMuxer(AsfFileInfo info, AsfOutput& out, bool writeIndex = true);

    bool Begin();
    // streamIndex: position in info.streams. False on a bad argument or an
    // output failure; the error text says which.
    bool Write(size_t streamIndex, const AsfSample& sample);
    bool Finish();

    const AsfTotals& Totals() const { return m_totals; }
    const std::string& Error() const { return m_error; }

private:
    struct StreamState {
        uint8_t objectNumber = 0;
        int64_t lastStop = 0;
        // Gathered audio not yet written.
        std::vector<uint8_t> pending;
        int64_t pendingStart = 0;
        int64_t pendingStop = 0;
    };

    bool Fail(const std::string& text);
    bool WriteObject(size_t streamIndex, const uint8_t* data, size_t size, int64_t start, int64_t stop);
    bool FlushPending(size_t streamIndex);
    bool WriteHeaders();
    bool FinishAfterFailure();
    uint32_t GatherLimit(size_t streamIndex) const;

    AsfFileInfo m_info;
    AsfOutput& m_out;
    bool m_writeIndex;
    AsfPacketizer m_packetizer;
    AsfSimpleIndex m_index;
    size_t m_indexStream = SIZE_MAX;
    std::vector<StreamState> m_streams;
    AsfTotals m_totals;
    uint64_t m_headerSize = 0;
    int64_t m_endTime = 0;
    // The end of the media objects written whole, and whether a packet
    // could not be written (the file then ends with the last whole one).
    int64_t m_writtenEnd = 0;
    bool m_writeFailed = false;
    uint32_t m_lastSendMs = 0;
    bool m_begun = false;
    bool m_finished = false;
    std::string m_error;
};
