#pragma once
// A push source for the tests, built on our own base classes: one output
// pin "Out" of 16-bit PCM that delivers `count` samples of `bytes` bytes
// each and then ends the stream. Sample i holds the bytes
// PatternByte(i, 0..bytes-1), is stamped i*duration..(i+1)*duration, and
// only sample 0 is a discontinuity.

#include <windows.h>

#include <strmif.h>

#include <cstdint>

#include "framework/dshow/Source.h"

class PcmSourceStream;

class PcmSource : public CSource {
public:
    // A new source with one reference for the caller.
    static PcmSource* Create(const WAVEFORMATEX& format, int count, long bytes);
    static uint8_t PatternByte(int sample, long offset) {
        return static_cast<uint8_t>((sample * 31 + offset * 7 + offset / 256) & 0xFF);
    }
    REFERENCE_TIME Duration() const;

private:
    PcmSource(const WAVEFORMATEX& format, int count, long bytes, HRESULT* phr);
    friend class PcmSourceStream;
    WAVEFORMATEX m_format;
    int m_count;
    long m_bytes;
};

class PcmSourceStream : public CSourceStream {
public:
    PcmSourceStream(HRESULT* phr, PcmSource* source);
    HRESULT DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* request) override;

protected:
    HRESULT GetMediaType(CMediaType* pmt) override;
    using CSourceStream::GetMediaType;
    HRESULT FillBuffer(IMediaSample* sample) override;
    HRESULT OnThreadCreate() override;

private:
    PcmSource* m_source;
    int m_next = 0;  // the worker's own
};
