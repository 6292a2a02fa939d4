#include "capfilter/MicCarry.h"

#include <algorithm>

#include "capfilter/AudioMix.h"

namespace sonark {

void MicCarry::Configure(size_t capacityBytes, size_t micBlockAlign) {
    m_blockAlign = micBlockAlign ? micBlockAlign : 1;
    m_capacity = capacityBytes - capacityBytes % m_blockAlign;
    m_bytes.clear();
    m_bytes.reserve(m_capacity);
}

void MicCarry::Clear() { m_bytes.clear(); }

size_t MicCarry::MixFrom(uint8_t* speakers, size_t speakerBytes, size_t& offset, const uint8_t* mic, size_t micBytes,
                         bool monoMic) {
    if (offset >= speakerBytes || micBytes == 0) return 0;
    size_t room = speakerBytes - offset;
    if (monoMic) {
        size_t used = MixMono(speakers + offset, room, mic, micBytes);
        offset += used * 2;
        return used;
    }
    size_t n = std::min(room, micBytes) & ~static_cast<size_t>(1);
    MixStereo(speakers + offset, mic, n);
    offset += n;
    return n;
}

void MicCarry::MixInto(uint8_t* speakers, size_t speakerBytes, const uint8_t* mic, size_t micBytes, bool monoMic) {
    size_t offset = 0;
    if (!m_bytes.empty()) {
        size_t used = MixFrom(speakers, speakerBytes, offset, m_bytes.data(), m_bytes.size(), monoMic);
        m_bytes.erase(m_bytes.begin(), m_bytes.begin() + static_cast<std::ptrdiff_t>(used));
    }
    size_t used = 0;
    if (m_bytes.empty()) used = MixFrom(speakers, speakerBytes, offset, mic, micBytes, monoMic);
    // The rest of the packet waits for the next speakers packet.
    const uint8_t* rest = mic + used;
    size_t restBytes = micBytes - used;
    if (restBytes == 0) return;
    if (restBytes >= m_capacity) {
        // Only the newest capacity's worth can be kept.
        m_dropped += m_bytes.size() + (restBytes - m_capacity);
        m_bytes.assign(rest + (restBytes - m_capacity), rest + restBytes);
        return;
    }
    size_t total = m_bytes.size() + restBytes;
    if (total > m_capacity) {
        size_t drop = total - m_capacity;
        m_dropped += drop;
        m_bytes.erase(m_bytes.begin(), m_bytes.begin() + static_cast<std::ptrdiff_t>(drop));
    }
    m_bytes.insert(m_bytes.end(), rest, rest + restBytes);
}

}  // namespace sonark
