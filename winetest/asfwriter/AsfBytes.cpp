#include "winetest/asfwriter/AsfBytes.h"

void AsfBytes::U16(uint16_t v) {
    U8(static_cast<uint8_t>(v));
    U8(static_cast<uint8_t>(v >> 8));
}

void AsfBytes::U32(uint32_t v) {
    U16(static_cast<uint16_t>(v));
    U16(static_cast<uint16_t>(v >> 16));
}

void AsfBytes::U64(uint64_t v) {
    U32(static_cast<uint32_t>(v));
    U32(static_cast<uint32_t>(v >> 32));
}

void AsfBytes::Guid(const AsfGuid& g) {
    U32(g.data1);
    U16(g.data2);
    U16(g.data3);
    Bytes(g.data4, sizeof g.data4);
}

void AsfBytes::Utf16z(const std::u16string& s) {
    for (char16_t c : s) U16(static_cast<uint16_t>(c));
    U16(0);
}

void AsfBytes::PatchU16(size_t at, uint16_t v) {
    m_bytes.at(at) = static_cast<uint8_t>(v);
    m_bytes.at(at + 1) = static_cast<uint8_t>(v >> 8);
}

void AsfBytes::PatchU32(size_t at, uint32_t v) {
    PatchU16(at, static_cast<uint16_t>(v));
    PatchU16(at + 2, static_cast<uint16_t>(v >> 16));
}

void AsfBytes::PatchU64(size_t at, uint64_t v) {
    PatchU32(at, static_cast<uint32_t>(v));
    PatchU32(at + 4, static_cast<uint32_t>(v >> 32));
}

size_t AsfBytes::BeginObject(const AsfGuid& id) {
    size_t start = m_bytes.size();
    Guid(id);
    U64(0);
    return start;
}
