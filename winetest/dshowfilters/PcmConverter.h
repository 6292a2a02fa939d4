#pragma once
// PcmConverter: turns the capture endpoint's own format (the mix format
// when the endpoint will not take ours) into 16-bit PCM at the rate and
// channel count the pin streams. Channels: mono from the mean of the
// first two, stereo from the first two (a mono source is doubled).
// Rate: linear interpolation, its position carried across calls.
// Portable: no Win32 types.

#include <cstddef>
#include <cstdint>
#include <vector>

struct PcmSourceFormat {
    enum class Sample { Int16, Int24, Int32, Float32 };
    Sample sample = Sample::Int16;
    unsigned rate = 0;
    unsigned channels = 0;
    unsigned bytesPerFrame = 0;  // may exceed channels * sample size (padding)
};

class PcmConverter {
public:
    // False for a format it cannot read (zero rate or channels, frames too
    // small for the channels); then nothing is converted.
    bool Configure(const PcmSourceFormat& from, unsigned toRate, unsigned toChannels);
    // Appends the converted samples (interleaved) of `frames` input frames.
    void Convert(const uint8_t* data, size_t frames, std::vector<int16_t>& out);
    // Appends silence for `frames` input frames (a silent packet).
    void ConvertSilence(size_t frames, std::vector<int16_t>& out);

private:
    void Push(float left, float right, std::vector<int16_t>& out);
    float Read(const uint8_t* frame, unsigned channel) const;

    PcmSourceFormat m_from;
    unsigned m_toRate = 0;
    unsigned m_toChannels = 0;
    bool m_ok = false;
    // Resampling state: the previous input frame and the output position
    // between it and the next, in input frames.
    bool m_havePrevious = false;
    float m_prevLeft = 0, m_prevRight = 0;
    double m_position = 0;
};
