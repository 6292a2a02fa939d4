#pragma once
// IPixarkStats: what the capture pin has done since the filter last left
// the stopped state, for tests and benchmarks (the recorder does not use
// it). The counts stay readable after the filter has stopped.

#include <windows.h>

#include <unknwn.h>

// {6B1C3E52-0F4A-4D8E-9C21-7A5D34E6B8F0}
MIDL_INTERFACE("6B1C3E52-0F4A-4D8E-9C21-7A5D34E6B8F0")
IPixarkStats : public IUnknown {
public:
    // Frames delivered downstream, and frames dropped: their time had passed
    // by more than one period when the pin got to them, or the background
    // window was minimised and gave no picture.
    virtual HRESULT STDMETHODCALLTYPE GetFrameCounts(LONG * delivered, LONG * dropped) = 0;
    // CPU time (kernel + user, 100-ns units) the streaming thread has used
    // since it started: the captures, cursor drawing and copies. Its waits
    // cost nothing, so this over the delivered count is the cost of a frame.
    virtual HRESULT STDMETHODCALLTYPE GetStreamCpuTime(LONGLONG * cpu100ns) = 0;
};
__CRT_UUID_DECL(IPixarkStats, 0x6b1c3e52, 0x0f4a, 0x4d8e, 0x9c, 0x21, 0x7a, 0x5d, 0x34, 0xe6, 0xb8, 0xf0)
