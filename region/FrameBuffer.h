#pragma once
// One screen grab's memory: owned, zero-filled, freed by its owner on every
// path.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

class FrameBuffer {
public:
    // False when the memory is not there; the buffer is then empty.
    bool Allocate(size_t bytes) {
        m_data.reset(new (std::nothrow) uint8_t[bytes]());
        m_size = m_data ? bytes : 0;
        return m_data != nullptr;
    }
    void Free() {
        m_data.reset();
        m_size = 0;
    }
    uint8_t* Data() { return m_data.get(); }
    const uint8_t* Data() const { return m_data.get(); }
    size_t Size() const { return m_size; }

private:
    std::unique_ptr<uint8_t[]> m_data;
    size_t m_size = 0;
};
