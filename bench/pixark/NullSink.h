#pragma once
// A sink that takes RGB video and does nothing with it, so that what the
// benchmark measures on the capture's streaming thread (which also runs the
// downstream Receive) is the capture alone.

#include <windows.h>

#include <strmif.h>

#include "framework/dshow/BaseFilter.h"
#include "framework/dshow/BasePin.h"

class NullSink;

class NullSinkPin : public CBaseInputPin {
public:
    NullSinkPin(NullSink* sink, CCritSec* lock);
    HRESULT CheckMediaType(const CMediaType* pmt) override;
};

class NullSink : public CBaseFilter {
public:
    // A new sink with one reference for the caller.
    static NullSink* Create();
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? &m_pin : nullptr; }
    IPin* InputPin() { return &m_pin; }

private:
    NullSink();
    CCritSec m_stateLock;
    NullSinkPin m_pin;
};
