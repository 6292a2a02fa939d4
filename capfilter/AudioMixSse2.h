#pragma once
// The mix with SSE2 saturating adds, eight samples at a time; the same
// results as the portable loops, byte for byte. Only x86 builds have it.

#include <cstddef>
#include <cstdint>

#if defined(__i386__) || defined(__x86_64__)
#define SONARK_MIX_HAS_SSE2 1
#else
#define SONARK_MIX_HAS_SSE2 0
#endif

namespace sonark {

// Whether this processor runs SSE2 instructions; always false where the
// build has no SSE2 loops.
bool ProcessorHasSse2();

#if SONARK_MIX_HAS_SSE2
// Same contracts as MixStereo and MixMono. Call them only when
// ProcessorHasSse2() says so.
void MixStereoSse2(uint8_t* speakers, const uint8_t* mic, size_t bytes);
size_t MixMonoSse2(uint8_t* speakers, size_t speakerBytes, const uint8_t* mic, size_t micBytes);
#endif

}  // namespace sonark
