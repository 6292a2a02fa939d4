#include "capfilter/AudioMixSse2.h"

#include "capfilter/AudioMix.h"

#if SONARK_MIX_HAS_SSE2

#include <cpuid.h>
#include <emmintrin.h>

// The 32-bit build runs on processors without SSE2, so only the functions
// below are compiled for SSE2, by attribute. A file-wide -msse2 would also
// let the compiler use SSE2 in the inline functions this file instantiates
// from shared headers, and the linker keeps one copy of each for the whole
// library: the plain path could end up executing SSE2.
#define SONARK_SSE2 __attribute__((target("sse2")))

namespace sonark {

namespace {

SONARK_SSE2 inline __m128i Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

SONARK_SSE2 inline void Store(uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

}  // namespace

bool ProcessorHasSse2() {
    // __get_cpuid also answers false on a processor too old for CPUID.
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __get_cpuid(1, &eax, &ebx, &ecx, &edx) != 0 && (edx & bit_SSE2) != 0;
}

// Endpoint buffers carry no alignment promise: unaligned loads and stores
// throughout, the last bytes (under 16) through the portable loop. Four
// vectors per round: the loop is bound by issuing loads and stores (an SSE2
// add takes no unaligned memory operand), and fewer rounds leave more room.
SONARK_SSE2 void MixStereoSse2(uint8_t* speakers, const uint8_t* mic, size_t bytes) {
    size_t done = 0;
    for (; bytes - done >= 64; done += 64) {
        uint8_t* s = speakers + done;
        const uint8_t* m = mic + done;
        __m128i s0 = _mm_adds_epi16(Load(s), Load(m));
        __m128i s1 = _mm_adds_epi16(Load(s + 16), Load(m + 16));
        __m128i s2 = _mm_adds_epi16(Load(s + 32), Load(m + 32));
        __m128i s3 = _mm_adds_epi16(Load(s + 48), Load(m + 48));
        Store(s, s0);
        Store(s + 16, s1);
        Store(s + 32, s2);
        Store(s + 48, s3);
    }
    for (; bytes - done >= 16; done += 16)
        Store(speakers + done, _mm_adds_epi16(Load(speakers + done), Load(mic + done)));
    MixStereoPortable(speakers + done, mic + done, bytes - done);
}

SONARK_SSE2 size_t MixMonoSse2(uint8_t* speakers, size_t speakerBytes, const uint8_t* mic, size_t micBytes) {
    size_t frames = speakerBytes / 4 < micBytes / 2 ? speakerBytes / 4 : micBytes / 2;
    size_t i = 0;
    // Sixteen microphone samples, each doubled into left and right, cover 64
    // bytes of the speakers packet; then eight at a time.
    for (; frames - i >= 16; i += 16) {
        __m128i m0 = Load(mic + 2 * i);
        __m128i m1 = Load(mic + 2 * i + 16);
        uint8_t* s = speakers + 4 * i;
        __m128i s0 = _mm_adds_epi16(Load(s), _mm_unpacklo_epi16(m0, m0));
        __m128i s1 = _mm_adds_epi16(Load(s + 16), _mm_unpackhi_epi16(m0, m0));
        __m128i s2 = _mm_adds_epi16(Load(s + 32), _mm_unpacklo_epi16(m1, m1));
        __m128i s3 = _mm_adds_epi16(Load(s + 48), _mm_unpackhi_epi16(m1, m1));
        Store(s, s0);
        Store(s + 16, s1);
        Store(s + 32, s2);
        Store(s + 48, s3);
    }
    for (; frames - i >= 8; i += 8) {
        __m128i m = Load(mic + 2 * i);
        uint8_t* s = speakers + 4 * i;
        __m128i lo = _mm_adds_epi16(Load(s), _mm_unpacklo_epi16(m, m));
        __m128i hi = _mm_adds_epi16(Load(s + 16), _mm_unpackhi_epi16(m, m));
        Store(s, lo);
        Store(s + 16, hi);
    }
    return 2 * i + MixMonoPortable(speakers + 4 * i, speakerBytes - 4 * i, mic + 2 * i, micBytes - 2 * i);
}

}  // namespace sonark

#else

namespace sonark {

bool ProcessorHasSse2() { return false; }

}  // namespace sonark

#endif
