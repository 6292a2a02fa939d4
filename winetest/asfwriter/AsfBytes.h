#pragma once
// A little-endian byte builder for ASF objects, with patching of sizes that
// are known only once an object's body is complete.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "winetest/asfwriter/AsfGuid.h"

class AsfBytes {
public:
    void U8(uint8_t v) { m_bytes.push_back(v); }
    void U16(uint16_t v);
    void U32(uint32_t v);
    void U64(uint64_t v);
    void Guid(const AsfGuid& g);
    void Bytes(const uint8_t* p, size_t n) { m_bytes.insert(m_bytes.end(), p, p + n); }
    void Bytes(const std::vector<uint8_t>& b) { Bytes(b.data(), b.size()); }
    void Zeros(size_t n) { m_bytes.insert(m_bytes.end(), n, 0); }
    // UTF-16LE code units as they stand, then a terminating zero unit.
    void Utf16z(const std::u16string& s);

    void PatchU16(size_t at, uint16_t v);
    void PatchU32(size_t at, uint32_t v);
    void PatchU64(size_t at, uint64_t v);

    // Starts an object: its GUID and a size placeholder. EndObject writes
    // the size (of everything from BeginObject on).
    size_t BeginObject(const AsfGuid& id);
    void EndObject(size_t start) { PatchU64(start + 16, m_bytes.size() - start); }

    size_t Size() const { return m_bytes.size(); }
    const std::vector<uint8_t>& Data() const { return m_bytes; }
    std::vector<uint8_t> Take() { return std::move(m_bytes); }

private:
    std::vector<uint8_t> m_bytes;
};

// Bytes a UTF-16 text takes in the file with its terminating zero.
inline size_t Utf16zBytes(const std::u16string& s) { return (s.size() + 1) * 2; }
