#pragma once
// MicCarry: the microphone bytes that did not fit into the speakers packet
// they arrived with, kept for the next speakers packets so that none of the
// local party's speech is lost. The carry is bounded (one second of
// microphone audio); when more piles up, the oldest bytes go and are
// counted. Portable.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sonark {

class MicCarry {
public:
    // capacityBytes: the most bytes kept (rounded down to whole frames);
    // micBlockAlign: bytes per microphone frame (2 mono, 4 stereo).
    void Configure(size_t capacityBytes, size_t micBlockAlign);
    // Forgets what is carried (not the drop count).
    void Clear();

    // Mixes the carried bytes and then the new microphone packet into the
    // speakers packet (stereo 16-bit, `speakerBytes` long), in that order,
    // saturating; keeps what is left of the packet for next time.
    // monoMic: the microphone bytes are mono and go into both channels.
    void MixInto(uint8_t* speakers, size_t speakerBytes, const uint8_t* mic, size_t micBytes, bool monoMic);

    size_t CarriedBytes() const { return m_bytes.size(); }
    // Microphone bytes dropped because the carry was full.
    uint64_t DroppedBytes() const { return m_dropped; }

private:
    // Mixes from `mic` into the speakers from `offset` on; returns the mic
    // bytes used and advances `offset` by the speakers bytes filled.
    static size_t MixFrom(uint8_t* speakers, size_t speakerBytes, size_t& offset, const uint8_t* mic, size_t micBytes,
                          bool monoMic);

    std::vector<uint8_t> m_bytes;
    size_t m_capacity = 0;
    size_t m_blockAlign = 4;
    uint64_t m_dropped = 0;
};

}  // namespace sonark
