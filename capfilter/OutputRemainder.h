#pragma once
// OutputRemainder: audio already captured and mixed that did not fit into
// the media sample it was meant for. It goes out at the front of the next
// samples, before any new packet is read. Portable.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sonark {

class OutputRemainder {
public:
    // Copies as much of `data` into `out` (capacity bytes, rounded down to
    // whole frames of blockAlign) as fits, keeps the rest. Returns the bytes
    // written. Call only when Empty().
    size_t Split(const uint8_t* data, size_t bytes, uint8_t* out, size_t capacity, size_t blockAlign);
    // Writes the next part of what is kept; returns the bytes written.
    size_t TakeInto(uint8_t* out, size_t capacity, size_t blockAlign);
    bool Empty() const { return m_offset >= m_bytes.size(); }
    size_t Bytes() const { return m_bytes.size() - m_offset; }
    void Clear();

private:
    std::vector<uint8_t> m_bytes;
    size_t m_offset = 0;
};

}  // namespace sonark
