#pragma once
// CCaptureStream: the stand-in capture device's output pin "Capture". It
// streams 16-bit PCM read from the default capture endpoint through
// WASAPI, in the format chosen with IAMStreamConfig (44100 or 48000 Hz,
// mono or stereo; 44100 Hz stereo unless set), in buffers sized as
// suggested through IAMBufferNegotiation (default: 4 of 100 ms).
//
// A live source: the endpoint runs from Pause, but only what it captures
// while the filter runs is delivered. Time stamps come from the count of
// bytes delivered, on the stream-time base: the first sample starts at the
// stream time its first byte was captured (an endpoint may deliver nothing
// for a while -- PulseAudio's monitor of an idle null sink does; what came
// before stream time 0 is dropped), and each later one where the one
// before ended. A pause stops the stream time and
// the count alike.

#include <windows.h>

#include <strmif.h>

#include <cstdint>
#include <vector>

#include "framework/dshow/Source.h"
#include "winetest/dshowfilters/WasapiCapture.h"

class CCaptureStream : public CSourceStream, public IAMStreamConfig, public IAMBufferNegotiation {
public:
    CCaptureStream(HRESULT* phr, CSource* filter);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IAMStreamConfig
    HRESULT STDMETHODCALLTYPE SetFormat(AM_MEDIA_TYPE* pmt) override;
    HRESULT STDMETHODCALLTYPE GetFormat(AM_MEDIA_TYPE** pmt) override;
    HRESULT STDMETHODCALLTYPE GetNumberOfCapabilities(int* count, int* size) override;
    HRESULT STDMETHODCALLTYPE GetStreamCaps(int index, AM_MEDIA_TYPE** pmt, BYTE* caps) override;
    // IAMBufferNegotiation
    HRESULT STDMETHODCALLTYPE SuggestAllocatorProperties(const ALLOCATOR_PROPERTIES* props) override;
    HRESULT STDMETHODCALLTYPE GetAllocatorProperties(ALLOCATOR_PROPERTIES* props) override;

    HRESULT DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* request) override;
    // The filter runs (state lock held): keeps its clock and start time for
    // the worker's first time stamp.
    HRESULT Run(REFERENCE_TIME start) override;

protected:
    HRESULT GetMediaType(CMediaType* pmt) override;
    using CSourceStream::GetMediaType;
    HRESULT FillBuffer(IMediaSample* sample) override;
    HRESULT OnThreadCreate() override;
    HRESULT OnThreadDestroy() override;

private:
    // The capability at `index` as a wave format; false past the end.
    static bool CapabilityFormat(int index, WAVEFORMATEX& wfx);
    static bool IsOfferedFormat(const AM_MEDIA_TYPE& mt);

    // Set only while stopped and unconnected (under the state lock), read
    // by the worker, which exists only while running or paused.
    WAVEFORMATEX m_format{};
    ALLOCATOR_PROPERTIES m_suggested{-1, -1, -1, -1};

    // The stream time now less `pendingBytes` of audio (below 0 before the
    // stream's start); 0 without a clock.
    REFERENCE_TIME CaptureStartTime(size_t pendingBytes);

    // The clock and start time of the last Run, for the worker.
    CCritSec m_timingLock;
    ComPtr<IReferenceClock> m_clock;
    REFERENCE_TIME m_runStart = 0;

    // The worker's own.
    WasapiCapture m_capture;
    HRESULT m_apartment = E_FAIL;
    std::vector<uint8_t> m_pending;
    uint64_t m_bytesDelivered = 0;
    REFERENCE_TIME m_base = 0;
    bool m_firstSample = true;
};
