#include "recovery/AsfPacket.h"

#include <cstring>

#include "recovery/LittleEndian.h"

namespace recovery {

PacketWindow::PacketWindow(RepairFile& file, uint64_t end, size_t windowSize)
    : m_file(file), m_end(end), m_window(windowSize) {}

bool PacketWindow::Read(uint64_t offset, uint8_t* out, size_t n) {
    if (offset > m_end || n > m_end - offset) return false;
    if (offset < m_start || offset - m_start + n > m_length) {
        const uint64_t rest = m_end - offset;
        const size_t length = rest < m_window.size() ? static_cast<size_t>(rest) : m_window.size();
        if (length < n) return false;
        if (!m_file.ReadAt(offset, m_window.data(), length)) {
            m_failed = true;
            m_length = 0;
            return false;
        }
        m_start = offset;
        m_length = length;
    }
    std::memcpy(out, m_window.data() + (offset - m_start), n);
    return true;
}

namespace {

// Reads forward inside one packet, never past `limit` bytes from its start.
class Cursor {
public:
    Cursor(PacketWindow& window, uint64_t base, uint32_t limit) : m_window(window), m_base(base), m_limit(limit) {}

    uint32_t Pos() const { return m_pos; }
    uint32_t Left() const { return m_limit - m_pos; }
    void Limit(uint32_t limit) { m_limit = limit; }

    bool Bytes(uint8_t* out, size_t n) {
        if (n > Left() || !m_window.Read(m_base + m_pos, out, n)) return false;
        m_pos += static_cast<uint32_t>(n);
        return true;
    }
    bool Byte(uint8_t& v) { return Bytes(&v, 1); }
    // A field whose 2-bit length type says 0, 1, 2 or 4 bytes; absent is 0.
    bool Field(unsigned type, uint32_t& v) {
        static constexpr size_t kWidth[4] = {0, 1, 2, 4};
        uint8_t b[4] = {};
        if (!Bytes(b, kWidth[type & 3])) return false;
        v = Le32(b);
        return true;
    }
    bool Skip(uint64_t n) {
        if (n > Left()) return false;
        m_pos += static_cast<uint32_t>(n);
        return true;
    }

private:
    PacketWindow& m_window;
    uint64_t m_base;
    uint32_t m_limit;
    uint32_t m_pos = 0;
};

bool ReadPayloadHeader(Cursor& c, uint8_t propertyFlags, AsfPayload& p) {
    uint8_t streamByte = 0;
    uint32_t replicated = 0;
    if (!c.Byte(streamByte) || !c.Field(propertyFlags >> 4, p.objectNumber) ||
        !c.Field(propertyFlags >> 2, p.objectOffset) || !c.Field(propertyFlags, replicated))
        return false;
    p.stream = streamByte & 0x7F;
    p.keyFrame = (streamByte & 0x80) != 0;
    if (replicated == 1) {
        // Compressed: the offset field holds the presentation time and the
        // one replicated byte the time between the objects.
        uint8_t delta = 0;
        if (!c.Byte(delta)) return false;
        p.compressed = true;
        p.timed = true;
        p.presentationMs = p.objectOffset;
        p.objectOffset = 0;
        p.timeDeltaMs = delta;
        return true;
    }
    if (replicated >= 8) {
        uint8_t b[8];
        if (!c.Bytes(b, sizeof b)) return false;
        p.objectSize = Le32(b);
        p.presentationMs = Le32(b + 4);
        p.timed = true;
        replicated -= 8;
    }
    return c.Skip(replicated);
}

// A compressed payload's body: sub-payloads, each a length byte and that
// many bytes, filling it exactly.
bool CountSubPayloads(Cursor& c, uint32_t length, AsfPayload& p) {
    const uint32_t stop = c.Pos() + length;
    p.objects = 0;
    while (c.Pos() < stop) {
        uint8_t size = 0;
        if (!c.Byte(size) || size > stop - c.Pos() || !c.Skip(size)) return false;
        ++p.objects;
    }
    return true;
}

bool ReadPayloadBody(Cursor& c, uint32_t length, AsfPayload& p) {
    if (length > c.Left()) return false;
    return p.compressed ? CountSubPayloads(c, length, p) : c.Skip(length);
}

}  // namespace

PacketParse ParsePacket(PacketWindow& window, uint64_t offset, uint32_t packetSize, AsfPacketInfo& packet) {
    packet.sendTimeMs = 0;
    packet.durationMs = 0;
    packet.payloads.clear();
    Cursor c(window, offset, packetSize);
    auto unreadable = [&window] { return window.Failed() ? PacketParse::ReadFailed : PacketParse::Unreadable; };

    uint8_t lengthFlags = 0, propertyFlags = 0;
    if (!c.Byte(lengthFlags)) return unreadable();
    if (lengthFlags & 0x80) {
        // Error correction flags: data length in the low nibble; opaque
        // data and any length type other than 00 are nothing a file holds.
        if ((lengthFlags & 0x70) != 0 || !c.Skip(lengthFlags & 0x0F) || !c.Byte(lengthFlags)) return unreadable();
    }
    uint32_t packetLength = 0, sequence = 0, padding = 0, sendTime = 0, duration = 0;
    if (!c.Byte(propertyFlags) || !c.Field(lengthFlags >> 5, packetLength) || !c.Field(lengthFlags >> 1, sequence) ||
        !c.Field(lengthFlags >> 3, padding) || !c.Field(3, sendTime) || !c.Field(2, duration))
        return unreadable();
    // Stream numbers are one byte; other length types are reserved.
    if ((propertyFlags >> 6) != 1) return PacketParse::Unreadable;
    if (((lengthFlags >> 5) & 3) == 0) packetLength = packetSize;
    if (packetLength > packetSize || packetLength < c.Pos() || padding > packetLength - c.Pos())
        return PacketParse::Unreadable;
    c.Limit(packetLength - padding);
    packet.sendTimeMs = sendTime;
    packet.durationMs = static_cast<uint16_t>(duration);

    if (lengthFlags & 1) {
        uint8_t payloadFlags = 0;
        if (!c.Byte(payloadFlags)) return unreadable();
        const unsigned count = payloadFlags & 0x3F;
        const unsigned lengthType = payloadFlags >> 6;
        if (lengthType == 0) return PacketParse::Unreadable;
        for (unsigned i = 0; i < count; ++i) {
            AsfPayload& p = packet.payloads.emplace_back();
            uint32_t length = 0;
            if (!ReadPayloadHeader(c, propertyFlags, p) || !c.Field(lengthType, length) ||
                !ReadPayloadBody(c, length, p))
                return unreadable();
        }
    } else {
        AsfPayload& p = packet.payloads.emplace_back();
        if (!ReadPayloadHeader(c, propertyFlags, p) || !ReadPayloadBody(c, c.Left(), p)) return unreadable();
    }
    return PacketParse::Ok;
}

}  // namespace recovery
