#include "capfilter/OutputRemainder.h"

#include <algorithm>
#include <cstring>

namespace sonark {

namespace {
size_t Fit(size_t bytes, size_t capacity, size_t blockAlign) {
    size_t n = std::min(bytes, capacity);
    if (blockAlign > 1 && n < bytes) n -= n % blockAlign;
    return n;
}
}  // namespace

size_t OutputRemainder::Split(const uint8_t* data, size_t bytes, uint8_t* out, size_t capacity, size_t blockAlign) {
    size_t n = Fit(bytes, capacity, blockAlign);
    if (n) std::memcpy(out, data, n);
    m_bytes.assign(data + n, data + bytes);
    m_offset = 0;
    return n;
}

size_t OutputRemainder::TakeInto(uint8_t* out, size_t capacity, size_t blockAlign) {
    size_t n = Fit(Bytes(), capacity, blockAlign);
    if (n) std::memcpy(out, m_bytes.data() + m_offset, n);
    m_offset += n;
    if (Empty()) Clear();
    return n;
}

void OutputRemainder::Clear() {
    m_bytes.clear();
    m_offset = 0;
}

}  // namespace sonark
