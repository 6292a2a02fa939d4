#include "winetest/dshowfilters/PcmConverter.h"

#include <cmath>
#include <cstring>

namespace {

unsigned SampleBytes(PcmSourceFormat::Sample s) {
    switch (s) {
        case PcmSourceFormat::Sample::Int16:
            return 2;
        case PcmSourceFormat::Sample::Int24:
            return 3;
        default:
            return 4;
    }
}

int16_t ToInt16(float v) {
    float scaled = std::round(v * 32767.0f);
    if (scaled > 32767.0f) return 32767;
    if (scaled < -32768.0f) return -32768;
    return static_cast<int16_t>(scaled);
}

}  // namespace

bool PcmConverter::Configure(const PcmSourceFormat& from, unsigned toRate, unsigned toChannels) {
    m_ok = from.rate > 0 && from.channels > 0 && toRate > 0 && (toChannels == 1 || toChannels == 2) &&
           from.bytesPerFrame >= from.channels * SampleBytes(from.sample);
    m_from = from;
    m_toRate = toRate;
    m_toChannels = toChannels;
    m_havePrevious = false;
    m_position = 0;
    return m_ok;
}

float PcmConverter::Read(const uint8_t* frame, unsigned channel) const {
    const uint8_t* p = frame + channel * SampleBytes(m_from.sample);
    switch (m_from.sample) {
        case PcmSourceFormat::Sample::Int16: {
            int16_t v;
            std::memcpy(&v, p, 2);
            return static_cast<float>(v) / 32768.0f;
        }
        case PcmSourceFormat::Sample::Int24: {
            int32_t v = static_cast<int32_t>(static_cast<uint32_t>(p[0]) << 8 | static_cast<uint32_t>(p[1]) << 16 |
                                             static_cast<uint32_t>(p[2]) << 24);
            return static_cast<float>(v / 256) / 8388608.0f;
        }
        case PcmSourceFormat::Sample::Int32: {
            int32_t v;
            std::memcpy(&v, p, 4);
            return static_cast<float>(static_cast<double>(v) / 2147483648.0);
        }
        case PcmSourceFormat::Sample::Float32: {
            float v;
            std::memcpy(&v, p, 4);
            return std::isfinite(v) ? v : 0.0f;
        }
    }
    return 0.0f;
}

void PcmConverter::Push(float left, float right, std::vector<int16_t>& out) {
    if (!m_havePrevious) {
        m_prevLeft = left;
        m_prevRight = right;
        m_havePrevious = true;
        m_position = 0;
    }
    // Output frames fall at m_position (in input frames, 0 = previous frame,
    // 1 = this one); each step is the ratio of the rates.
    const double step = static_cast<double>(m_from.rate) / m_toRate;
    while (m_position < 1.0) {
        float t = static_cast<float>(m_position);
        float l = m_prevLeft + (left - m_prevLeft) * t;
        float r = m_prevRight + (right - m_prevRight) * t;
        if (m_toChannels == 1) {
            out.push_back(ToInt16((l + r) * 0.5f));
        } else {
            out.push_back(ToInt16(l));
            out.push_back(ToInt16(r));
        }
        m_position += step;
    }
    m_position -= 1.0;
    m_prevLeft = left;
    m_prevRight = right;
}

void PcmConverter::Convert(const uint8_t* data, size_t frames, std::vector<int16_t>& out) {
    if (!m_ok) return;
    for (size_t i = 0; i < frames; ++i) {
        const uint8_t* frame = data + i * m_from.bytesPerFrame;
        float left = Read(frame, 0);
        float right = m_from.channels > 1 ? Read(frame, 1) : left;
        Push(left, right, out);
    }
}

void PcmConverter::ConvertSilence(size_t frames, std::vector<int16_t>& out) {
    if (!m_ok) return;
    for (size_t i = 0; i < frames; ++i) Push(0.0f, 0.0f, out);
}
