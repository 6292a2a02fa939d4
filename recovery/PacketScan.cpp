#include "recovery/PacketScan.h"

#include <algorithm>

#include "recovery/AsfPacket.h"

namespace recovery {
namespace {

void CloseObject(VideoTrack& t) {
    if (t.open && t.openKey) t.keys.push_back(t.openFrame);
    t.open = false;
}

void NoteTime(StreamTimes& s, uint64_t timeMs, uint32_t size) {
    if (!s.any || timeMs > s.latestMs) {
        if (s.any) {
            s.previousMs = s.latestMs;
            s.twoTimes = true;
        }
        s.latestMs = timeMs;
        s.latestSize = size;
        s.any = true;
    } else if (timeMs < s.latestMs && (!s.twoTimes || timeMs > s.previousMs)) {
        s.previousMs = timeMs;
        s.twoTimes = true;
    }
}

// A fragment continues the open object when it has its number and does not
// begin at offset 0; anything else ends it.
void TrackVideo(VideoTrack& t, const AsfPayload& p, uint64_t packet, uint64_t timeMs) {
    if (!p.compressed && p.objectOffset != 0) {
        if (t.open && t.openNumber == p.objectNumber)
            t.openFrame.packets = packet - t.openFrame.packet + 1;
        else
            CloseObject(t);
        return;
    }
    CloseObject(t);
    if (p.compressed) {
        if (p.keyFrame && p.objects > 0) t.keys.push_back(KeyFrame{timeMs, packet, 1});
        return;
    }
    t.open = true;
    t.openKey = p.keyFrame;
    t.openNumber = p.objectNumber;
    t.openFrame = KeyFrame{timeMs, packet, 1};
}

}  // namespace

bool ScanPackets(RepairFile& file, const AsfLayout& layout, PacketScan& scan) {
    scan = PacketScan{};
    scan.times.resize(layout.streams.size());
    std::vector<size_t> videoOf(128, SIZE_MAX), timesOf(128, SIZE_MAX);
    std::vector<uint8_t> videoNumbers;
    for (size_t i = 0; i < layout.streams.size(); ++i) {
        timesOf[layout.streams[i].number] = i;
        if (layout.streams[i].video) videoNumbers.push_back(layout.streams[i].number);
    }
    std::sort(videoNumbers.begin(), videoNumbers.end());
    for (uint8_t n : videoNumbers) {
        videoOf[n] = scan.video.size();
        scan.video.emplace_back().stream = n;
    }

    PacketWindow window(file, layout.DataEnd());
    AsfPacketInfo packet;
    for (uint64_t i = 0; i < layout.packetCount; ++i) {
        const PacketParse r =
            ParsePacket(window, layout.firstPacket + i * layout.packetSize, layout.packetSize, packet);
        if (r == PacketParse::ReadFailed) return false;
        if (r == PacketParse::Unreadable) {
            ++scan.unreadable;
            continue;
        }
        ++scan.readable;
        scan.sendEndMs = std::max<uint64_t>(scan.sendEndMs, uint64_t{packet.sendTimeMs} + packet.durationMs);
        for (const AsfPayload& p : packet.payloads) {
            if (timesOf[p.stream] == SIZE_MAX) continue;  // a stream the header does not declare
            // Without replicated data an object is taken to be presented
            // one preroll after its packet is sent.
            const uint64_t timeMs = p.timed ? p.presentationMs : packet.sendTimeMs + layout.fields.prerollMs;
            if (p.compressed) {
                const uint64_t lastMs = timeMs + uint64_t{p.objects > 0 ? p.objects - 1 : 0} * p.timeDeltaMs;
                if (p.objects > 1) NoteTime(scan.times[timesOf[p.stream]], lastMs - p.timeDeltaMs, 0);
                if (p.objects > 0) NoteTime(scan.times[timesOf[p.stream]], lastMs, 0);
            } else if (p.objectOffset == 0) {
                NoteTime(scan.times[timesOf[p.stream]], timeMs, p.objectSize);
            }
            if (videoOf[p.stream] != SIZE_MAX) TrackVideo(scan.video[videoOf[p.stream]], p, i, timeMs);
        }
    }
    for (VideoTrack& t : scan.video) CloseObject(t);
    return true;
}

uint64_t StreamEndMs(const AsfLayout& layout, const PacketScan& scan, uint8_t stream) {
    for (size_t i = 0; i < scan.times.size(); ++i) {
        const StreamTimes& s = scan.times[i];
        if (layout.streams[i].number != stream || !s.any) continue;
        const uint32_t rate = layout.streams[i].avgBytesPerSec;
        uint64_t length = 0;
        if (rate > 0 && s.latestSize > 0)
            length = uint64_t{s.latestSize} * 1000 / rate;
        else if (s.twoTimes)
            length = s.latestMs - s.previousMs;
        return s.latestMs + length;
    }
    return 0;
}

uint64_t PresentationEndMs(const AsfLayout& layout, const PacketScan& scan) {
    uint64_t end = 0;
    for (const AsfStream& s : layout.streams) end = std::max(end, StreamEndMs(layout, scan, s.number));
    return end;
}

}  // namespace recovery
