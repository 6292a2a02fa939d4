#pragma once
// A video renderer for tests, built on our own base classes: one input pin
// "In" that accepts uncompressed RGB24 and RGB32 (VIDEOINFOHEADER) of any
// size and records the times of every sample it receives, and a copy of the
// latest frame (whole frames of every sample would not fit in memory).

#include <windows.h>

#include <strmif.h>

#include <cstdint>
#include <mutex>
#include <vector>

#include "framework/dshow/BaseFilter.h"
#include "framework/dshow/BasePin.h"

struct VideoSampleTimes {
    bool timed = false;
    REFERENCE_TIME start = 0, stop = 0;
    long length = 0;
    DWORD tick = 0;            // GetTickCount when received
    bool cornerBlack = false;  // the picture's top-left 32 x 32 pixels black
};

// One frame as the sink got it: bottom-up rows as in the sample.
struct VideoFrame {
    int32_t width = 0, height = 0, bitCount = 0;
    std::vector<uint8_t> bytes;
    DWORD tick = 0;
    // The colour at (x, y), y counted from the top of the picture, as
    // 0xRRGGBB; 0xFF000000 outside the frame.
    uint32_t Pixel(int32_t x, int32_t y) const;
};

class VideoSink;

class VideoSinkPin : public CBaseInputPin {
public:
    VideoSinkPin(VideoSink* sink, CCritSec* lock);
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;

private:
    VideoSink* m_sink;
};

class VideoSink : public CBaseFilter {
public:
    // A new sink with one reference for the caller.
    static VideoSink* Create();

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? &m_pin : nullptr; }
    IPin* InputPin() { return &m_pin; }

    std::vector<VideoSampleTimes> Samples();
    VideoFrame LastFrame();
    size_t Count();

private:
    friend class VideoSinkPin;
    VideoSink();

    CCritSec m_stateLock;
    VideoSinkPin m_pin;
    std::mutex m_samplesLock;
    std::vector<VideoSampleTimes> m_samples;
    VideoFrame m_last;
};
