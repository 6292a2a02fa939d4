#include "winetest/asfwriter/AsfMuxer.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "winetest/asfwriter/AsfHeader.h"

AsfMuxer::AsfMuxer(AsfFileInfo info, AsfOutput& out, bool writeIndex)
    : m_info(std::move(info)),
      m_out(out),
      m_writeIndex(writeIndex),
      m_packetizer(std::max<uint32_t>(m_info.packetSize, kAsfPacketOverhead + 1)),
      m_streams(m_info.streams.size()) {
    // The index follows the first video stream, or the first stream.
    for (size_t i = 0; i < m_info.streams.size() && m_indexStream == SIZE_MAX; ++i)
        if (m_info.streams[i].kind == AsfStreamKind::Video) m_indexStream = i;
    if (m_indexStream == SIZE_MAX && !m_info.streams.empty()) m_indexStream = 0;
}

bool AsfMuxer::Fail(const std::string& text) {
    m_error = text;
    return false;
}

bool AsfMuxer::Begin() {
    if (m_begun) return Fail("the file is already begun");
    if (m_info.packetSize <= kAsfPacketOverhead || m_info.packetSize > 0xFFFF + kAsfPacketOverhead)
        return Fail("packet size out of range");
    if (m_info.streams.size() > 127) return Fail("too many streams");
    for (const AsfStreamInfo& s : m_info.streams)
        if (s.number < 1 || s.number > 127) return Fail("stream number out of range");
    m_begun = true;
    return WriteHeaders();
}

bool AsfMuxer::WriteHeaders() {
    std::vector<uint8_t> header = BuildAsfHeader(m_info, m_totals);
    std::vector<uint8_t> data = BuildAsfDataObjectHeader(m_info, m_totals);
    if (m_headerSize == 0) {
        m_headerSize = header.size();
        if (!m_out.Append(header.data(), header.size()) || !m_out.Append(data.data(), data.size()))
            return Fail("cannot write the header");
        return true;
    }
    if (header.size() != m_headerSize) return Fail("the header changed its size");
    if (!m_out.WriteAt(0, header.data(), header.size()) || !m_out.WriteAt(m_headerSize, data.data(), data.size()))
        return Fail("cannot rewrite the header");
    return true;
}

uint32_t AsfMuxer::GatherLimit(size_t streamIndex) const {
    const AsfStreamInfo& s = m_info.streams[streamIndex];
    if (s.kind != AsfStreamKind::Audio) return 0;
    uint32_t block = std::max<uint32_t>(s.audio.blockAlign, 1);
    return m_packetizer.PayloadRoom() / block * block;
}

bool AsfMuxer::Write(size_t streamIndex, const AsfSample& sample) {
    if (!m_begun || m_finished) return Fail("the file is not open");
    if (streamIndex >= m_streams.size()) return Fail("no such stream");
    if (sample.size > 0 && !sample.data) return Fail("sample without data");
    if (sample.size > 0xFFFFFFFFu) return Fail("sample too large");
    StreamState& st = m_streams[streamIndex];
    int64_t start = sample.timed ? std::max<int64_t>(sample.start, 0) : st.lastStop;
    int64_t stop = sample.timed ? std::max(sample.stop, start) : start;
    // ASF times are unsigned milliseconds in 32 bits, the preroll included.
    if (static_cast<uint64_t>(stop / 10000) + m_info.prerollMs > 0xFFFFFFFFu) return Fail("sample time out of range");
    m_endTime = std::max(m_endTime, stop);

    uint32_t limit = GatherLimit(streamIndex);
    if (limit == 0) {
        st.lastStop = stop;
        return WriteObject(streamIndex, sample.data, sample.size, start, stop);
    }
    // ASF keeps milliseconds: a continuation within one of them still joins.
    bool continues = !st.pending.empty() && !sample.discontinuity && std::abs(start - st.pendingStop) < 10000 &&
                     st.pending.size() + sample.size <= limit;
    if (!continues && !FlushPending(streamIndex)) return false;
    if (st.pending.empty()) st.pendingStart = start;
    st.pending.insert(st.pending.end(), sample.data, sample.data + sample.size);
    st.pendingStop = stop;
    st.lastStop = stop;
    if (st.pending.size() >= limit) return FlushPending(streamIndex);
    return true;
}

bool AsfMuxer::FlushPending(size_t streamIndex) {
    StreamState& st = m_streams[streamIndex];
    if (st.pending.empty()) return true;
    std::vector<uint8_t> object;
    object.swap(st.pending);
    return WriteObject(streamIndex, object.data(), object.size(), st.pendingStart, st.pendingStop);
}

bool AsfMuxer::WriteObject(size_t streamIndex, const uint8_t* data, size_t size, int64_t start, int64_t stop) {
    StreamState& st = m_streams[streamIndex];
    AsfMediaObject object;
    object.stream = m_info.streams[streamIndex].number;
    object.objectNumber = st.objectNumber++;
    object.keyFrame = true;
    uint32_t ms = static_cast<uint32_t>(start / 10000);
    object.presentationMs = ms + m_info.prerollMs;
    // Send times never go back, though gathered sound is written late.
    m_lastSendMs = std::max(m_lastSendMs, ms);
    object.sendMs = m_lastSendMs;
    object.data = data;
    object.size = static_cast<uint32_t>(size);
    uint64_t firstPacket = m_packetizer.PacketsWritten();
    if (!m_packetizer.Write(object, m_out)) {
        m_writeFailed = true;
        return Fail("cannot write a data packet");
    }
    m_writtenEnd = std::max(m_writtenEnd, stop);
    if (streamIndex == m_indexStream)
        m_index.AddKeyObject(object.presentationMs, static_cast<uint32_t>(firstPacket),
                             static_cast<uint32_t>(m_packetizer.PacketsWritten() - firstPacket));
    return true;
}

bool AsfMuxer::Finish() {
    if (!m_begun) return Fail("the file is not open");
    if (m_finished) return true;
    if (m_writeFailed) return FinishAfterFailure();
    for (size_t i = 0; i < m_streams.size(); ++i)
        if (!FlushPending(i)) return FinishAfterFailure();
    m_finished = true;
    uint64_t packets = m_packetizer.PacketsWritten();
    m_totals.dataPackets = packets;
    m_totals.sendDuration = static_cast<uint64_t>(m_endTime);
    m_totals.playDuration = static_cast<uint64_t>(m_endTime) + static_cast<uint64_t>(m_info.prerollMs) * 10000;
    uint64_t dataBytes = packets * m_info.packetSize;
    if (m_endTime > 0) {
        uint64_t bitrate = (dataBytes * 8 * 10000000 + static_cast<uint64_t>(m_endTime) - 1) / m_endTime;
        m_totals.maxBitrate = static_cast<uint32_t>(std::min<uint64_t>(bitrate, 0xFFFFFFFFu));
    }
    std::vector<uint8_t> index;
    if (m_writeIndex && !m_index.Empty()) index = m_index.Build(m_info.fileId, m_totals.playDuration);
    m_totals.fileSize = m_headerSize + kAsfDataObjectHeaderSize + dataBytes + index.size();
    if (!index.empty() && !m_out.Append(index.data(), index.size())) return Fail("cannot write the index");
    return WriteHeaders();
}

// A disk that filled up: the header is rewritten in place (it needs no
// room) for the packets written whole, so the file plays up to there; the
// rest and the index are lost. Still a failure to the caller.
bool AsfMuxer::FinishAfterFailure() {
    m_finished = true;
    const uint64_t packets = m_packetizer.PacketsWritten();
    m_totals.dataPackets = packets;
    m_totals.sendDuration = static_cast<uint64_t>(m_writtenEnd);
    m_totals.playDuration = static_cast<uint64_t>(m_writtenEnd) + static_cast<uint64_t>(m_info.prerollMs) * 10000;
    m_totals.fileSize = m_headerSize + kAsfDataObjectHeaderSize + packets * m_info.packetSize;
    const std::string error = m_error;
    WriteHeaders();
    return Fail(error.empty() ? "cannot write a data packet" : error);
}
