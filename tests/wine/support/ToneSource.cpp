// The tone source: a continuous 16-bit stereo sine, phase kept across
// samples, each sample stamped from the number of frames delivered before.

#include <windows.h>

#include <mmreg.h>
#include <uuids.h>

#include <cmath>
#include <new>

#include "tests/wine/support/LiveStream.h"
#include "tests/wine/support/TestSources.h"

namespace {

// {5B0C1D3E-6A41-4F1B-9C2E-7D8A1F3B2C01}, a private id of this test source.
const GUID kClsidToneSource = {0x5b0c1d3e, 0x6a41, 0x4f1b, {0x9c, 0x2e, 0x7d, 0x8a, 0x1f, 0x3b, 0x2c, 0x01}};

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr int kFramesPerSample = kRate / 10;
constexpr int kBlock = kChannels * 2;

class CToneStream : public CLiveStream {
public:
    CToneStream(HRESULT* phr, CLiveSource* filter, int hz) : CLiveStream(L"Tone", phr, filter, L"Out"), m_hz(hz) {}

protected:
    HRESULT GetMediaType(CMediaType* pmt) override {
        WAVEFORMATEX wf{};
        wf.wFormatTag = WAVE_FORMAT_PCM;
        wf.nChannels = kChannels;
        wf.nSamplesPerSec = kRate;
        wf.wBitsPerSample = 16;
        wf.nBlockAlign = kBlock;
        wf.nAvgBytesPerSec = kRate * kBlock;
        return CreateAudioMediaType(&wf, pmt, TRUE);
    }

    HRESULT DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* request) override {
        return RequestBuffers(alloc, request, 4, kFramesPerSample * kBlock);
    }

    HRESULT OnThreadStartPlay() override {
        m_frames = 0;
        return S_OK;
    }

    HRESULT FillBuffer(IMediaSample* sample) override {
        REFERENCE_TIME start = m_frames * 10000000LL / kRate;
        REFERENCE_TIME stop = (m_frames + kFramesPerSample) * 10000000LL / kRate;
        HRESULT hr = WaitForStreamTime(stop);
        if (hr != S_OK) return hr;
        BYTE* data = nullptr;
        if (FAILED(hr = sample->GetPointer(&data))) return hr;
        auto* pcm = reinterpret_cast<short*>(data);
        const double kTwoPi = 6.283185307179586;
        for (int i = 0; i < kFramesPerSample; ++i) {
            double t = static_cast<double>(m_frames + i) / kRate;
            short v = static_cast<short>(std::lround(16383.0 * std::sin(kTwoPi * m_hz * t)));
            for (int c = 0; c < kChannels; ++c) pcm[i * kChannels + c] = v;
        }
        sample->SetActualDataLength(kFramesPerSample * kBlock);
        sample->SetTime(&start, &stop);
        sample->SetSyncPoint(TRUE);
        sample->SetDiscontinuity(m_frames == 0 ? TRUE : FALSE);
        m_frames += kFramesPerSample;
        return S_OK;
    }

private:
    int m_hz;
    LONGLONG m_frames = 0;
};

class CToneSource : public CLiveSource {
public:
    explicit CToneSource(int hz) : CLiveSource(L"Tone Source", kClsidToneSource) {
        HRESULT hr = S_OK;
        new (std::nothrow) CToneStream(&hr, this, hz);  // the pin adds itself; CSource deletes it
    }
};

}  // namespace

ComPtr<IBaseFilter> CreateToneSource(int hz) {
    if (hz <= 0 || hz >= kRate / 2) return nullptr;
    auto* filter = new (std::nothrow) CToneSource(hz);
    if (!filter) return nullptr;
    ComPtr<IBaseFilter> result(static_cast<IBaseFilter*>(filter));
    if (filter->GetPinCount() != 1) return nullptr;
    return result;
}
