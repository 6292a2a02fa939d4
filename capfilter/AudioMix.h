#pragma once
// The mix of the microphone into the speakers stream: signed 16-bit
// little-endian PCM, added sample by sample in place and clipped to the
// 16-bit range (a plain wrap-around sum turns loud speech from both parties
// into full-scale clicks). Portable.

#include <cstddef>
#include <cstdint>

namespace sonark {

int16_t SaturatingAdd(int16_t a, int16_t b);

// Adds `bytes` bytes of stereo microphone samples into the speakers
// samples at the same positions. `bytes` is rounded down to whole samples.
void MixStereo(uint8_t* speakers, const uint8_t* mic, size_t bytes);

// Adds mono microphone samples into both channels of consecutive stereo
// frames of the speakers packet, as far as either lasts. Returns the
// microphone bytes used (2 per stereo frame of 4 bytes).
size_t MixMono(uint8_t* speakers, size_t speakerBytes, const uint8_t* mic, size_t micBytes);

// MixStereo and MixMono run one of two implementations, chosen once, on the
// first mix: the SSE2 loops (capfilter/AudioMixSse2.h) where the build has
// them and the processor runs them, else these plain loops. The 32-bit
// build targets processors without SSE2 as well, hence the run-time choice.
void MixStereoPortable(uint8_t* speakers, const uint8_t* mic, size_t bytes);
size_t MixMonoPortable(uint8_t* speakers, size_t speakerBytes, const uint8_t* mic, size_t micBytes);

// True when MixStereo and MixMono run the SSE2 loops.
bool MixUsesSse2();

}  // namespace sonark
