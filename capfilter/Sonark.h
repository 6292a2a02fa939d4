#pragma once
// The binding between the recorder and the sonark5 library: the filter's
// class identifier and the custom interface through which the recorder sets
// the capture parameters before it pauses or runs the graph.

#include <windows.h>

#include <unknwn.h>

// {AB06B942-DC91-457E-97EF-D0076E8669DA}
extern "C" const CLSID CLSID_Sonark5;
// {BB05E750-1D12-4FB1-8785-7F37DC0E3800}
extern "C" const IID IID_ISonark;

struct ISonark : public IUnknown {
    // enable: non-zero lets the pin stream; timingMode: see the stream's
    // sample times; dualAudio: non-zero mixes the default microphone in;
    // sourceName: stored only (at most 999 characters are kept).
    virtual HRESULT STDMETHODCALLTYPE SetCaptureParams(int enable, int timingMode, int dualAudio,
                                                       const wchar_t* sourceName) = 0;
};
__CRT_UUID_DECL(ISonark, 0xbb05e750, 0x1d12, 0x4fb1, 0x87, 0x85, 0x7f, 0x37, 0xdc, 0x0e, 0x38, 0x00)

// Name of the filter in the class factory template and the registry.
constexpr const wchar_t* kSonarkFilterName = L"Sonark5 Test";
constexpr const wchar_t* kSonarkPinName = L"Out";
