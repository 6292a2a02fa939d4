#pragma once
// A renderer for tests, built on our own base classes: one input pin "In"
// that accepts 16-bit PCM audio and records every sample it receives (the
// bytes, the times, the flags) and every end-of-stream.

#include <windows.h>

#include <strmif.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "framework/dshow/BaseFilter.h"
#include "framework/dshow/BasePin.h"

struct ReceivedSample {
    std::vector<uint8_t> bytes;
    bool timed = false;
    REFERENCE_TIME start = 0, stop = 0;
    bool discontinuity = false;
    DWORD tick = 0;  // GetTickCount when received
};

class TestSink;

class TestSinkPin : public CBaseInputPin {
public:
    TestSinkPin(TestSink* sink, CCritSec* lock);
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    HRESULT STDMETHODCALLTYPE EndOfStream() override;

private:
    TestSink* m_sink;
};

class TestSink : public CBaseFilter {
public:
    // A new sink with one reference for the caller.
    static TestSink* Create();

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? &m_pin : nullptr; }

    std::vector<ReceivedSample> Samples();
    void ClearSamples();
    int EndOfStreams() const { return m_endOfStreams.load(); }
    IPin* InputPin() { return &m_pin; }

private:
    friend class TestSinkPin;
    TestSink();

    CCritSec m_stateLock;
    TestSinkPin m_pin;
    std::mutex m_samplesLock;
    std::vector<ReceivedSample> m_samples;
    std::atomic<int> m_endOfStreams{0};
};
