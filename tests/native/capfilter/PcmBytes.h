#pragma once
// Little-endian 16-bit PCM buffers for the mix tests.

#include <cstdint>
#include <initializer_list>
#include <vector>

inline std::vector<uint8_t> Pcm(std::initializer_list<int> samples) {
    std::vector<uint8_t> bytes;
    for (int s : samples) {
        auto u = static_cast<uint16_t>(static_cast<int16_t>(s));
        bytes.push_back(static_cast<uint8_t>(u & 0xFF));
        bytes.push_back(static_cast<uint8_t>(u >> 8));
    }
    return bytes;
}

inline std::vector<int> Samples(const std::vector<uint8_t>& bytes) {
    std::vector<int> out;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        out.push_back(static_cast<int16_t>(static_cast<uint16_t>(bytes[i] | (bytes[i + 1] << 8))));
    return out;
}
