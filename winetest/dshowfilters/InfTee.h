#pragma once
// CInfTee: the "Infinte Pin Tee Filter" for the Wine test prefix. One input
// pin "Input" and output pins "Output1", "Output2", ...: there is always
// exactly one unconnected output pin; connecting it adds the next one, and
// disconnecting an output while another is free retires it. Every sample
// the input receives is copied into a buffer of each connected output's
// own allocator and delivered, times and flags kept.
//
// Retired pins are kept alive (not enumerated) until the filter goes: a
// caller may still hold the pin it has just disconnected, and a pin's
// reference count is its filter's.

#include <windows.h>

#include <strmif.h>

#include <memory>
#include <vector>

#include "framework/dshow/BaseFilter.h"
#include "winetest/dshowfilters/InfTeePins.h"

class CInfTee : public CBaseFilter {
public:
    static CUnknown* CALLBACK CreateInstance(IUnknown* outer, HRESULT* phr);
    ~CInfTee() override;

    int GetPinCount() override;
    CBasePin* GetPin(int n) override;

    // Called by the pins (state lock held, filter stopped).
    void OnOutputConnected(CTeeOutputPin* pin);
    void OnOutputDisconnected(CTeeOutputPin* pin);
    CTeeInputPin* Input() { return &m_input; }

    // Streaming, on the upstream thread: to every connected output.
    HRESULT DeliverToOutputs(IMediaSample* sample);
    void EndOfStreamToOutputs();
    void BeginFlushToOutputs();
    void EndFlushToOutputs();
    void NewSegmentToOutputs(REFERENCE_TIME start, REFERENCE_TIME stop, double rate);

private:
    CInfTee(IUnknown* outer, HRESULT* phr);
    HRESULT AddOutputPin();
    // The connected outputs now; pins are never freed before the filter.
    std::vector<CTeeOutputPin*> ConnectedOutputs();

    CCritSec m_stateLock;
    // Guards the pin lists against a streaming thread walking them.
    CCritSec m_pinsLock;
    CTeeInputPin m_input;
    std::vector<std::unique_ptr<CTeeOutputPin>> m_outputs;
    std::vector<std::unique_ptr<CTeeOutputPin>> m_retired;
    int m_nextOutputNumber = 1;
};
