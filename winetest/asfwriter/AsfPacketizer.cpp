#include "winetest/asfwriter/AsfPacketizer.h"

#include <algorithm>
#include <cstring>

namespace {

void Put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* p, uint32_t v) {
    Put16(p, static_cast<uint16_t>(v));
    Put16(p + 2, static_cast<uint16_t>(v >> 16));
}

}  // namespace

AsfPacketizer::AsfPacketizer(uint32_t packetSize) : m_packetSize(packetSize), m_packet(packetSize) {}

bool AsfPacketizer::Write(const AsfMediaObject& object, AsfOutput& out) {
    uint32_t offset = 0;
    // An empty object still takes one packet, so that its time is recorded.
    do {
        uint32_t chunk = std::min(PayloadRoom(), object.size - offset);
        uint16_t padding = static_cast<uint16_t>(PayloadRoom() - chunk);
        uint8_t* p = m_packet.data();
        p[0] = 0x82;
        p[1] = 0;
        p[2] = 0;
        p[3] = 0x10;
        p[4] = 0x5D;
        Put16(p + 5, padding);
        Put32(p + 7, object.sendMs);
        Put16(p + 11, 0);
        p += 13;
        p[0] = static_cast<uint8_t>((object.stream & 0x7F) | (object.keyFrame ? 0x80 : 0));
        p[1] = object.objectNumber;
        Put32(p + 2, offset);
        p[6] = 8;
        Put32(p + 7, object.size);
        Put32(p + 11, object.presentationMs);
        p += 15;
        if (chunk) std::memcpy(p, object.data + offset, chunk);
        std::memset(p + chunk, 0, padding);
        if (!out.Append(m_packet.data(), m_packet.size())) return false;
        ++m_packets;
        offset += chunk;
    } while (offset < object.size);
    return true;
}
