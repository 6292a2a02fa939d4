#pragma once
// CPixarkFilter: the screen-capture source filter ("Pixark BCK"). One
// output pin (CPixarkStream); configured through IScreenCaptureSettings.
// Each call that passes the checks is kept twice: as this instance's
// settings (under the filter's state lock) and process-wide for instances
// created later (pixark::StoreSettings). IPixarkStats gives the counts.

#include "companions/pixark/CaptureSettings.h"
#include "companions/pixark/PixarkStats.h"
#include "framework/dshow/Source.h"
#include "graph/ScreenCaptureSettings.h"

class CPixarkStream;

class CPixarkFilter : public CSource, public IScreenCaptureSettings, public IPixarkStats {
public:
    // The template's creation function: S_OK and the object, or a failure
    // and null.
    static CUnknown* CALLBACK CreateInstance(IUnknown* outer, HRESULT* phr);
    ~CPixarkFilter() override;

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // A live source: while paused it says it cannot cue (no frame waits).
    HRESULT STDMETHODCALLTYPE GetState(DWORD timeoutMs, FILTER_STATE* state) override;
    HRESULT STDMETHODCALLTYPE Pause() override;

    // IScreenCaptureSettings. E_INVALIDARG for a frame rate outside 1..1000,
    // a bit count other than 24 or 32, or a rectangle of zero or negative
    // width or height (or a side above 8192); the settings stay as they were.
    HRESULT STDMETHODCALLTYPE SetCaptureSettings(INT32 frameRate, INT32 bitCount, INT32 left, INT32 top, INT32 right,
                                                 INT32 bottom, INT32 mode, INT32 bitRate, INT32 constant9, INT32 cursor,
                                                 INT32 constant11, INT32 window, INT32 background, INT32 constant14,
                                                 INT32 scalePercent, INT32 constant16) override;

    // IPixarkStats
    HRESULT STDMETHODCALLTYPE GetFrameCounts(LONG* delivered, LONG* dropped) override;
    HRESULT STDMETHODCALLTYPE GetStreamCpuTime(LONGLONG* cpu100ns) override;

    // This instance's settings; the caller holds the state lock.
    const pixark::CaptureSettings& InstanceSettings() const { return m_settings; }

private:
    CPixarkFilter(IUnknown* outer, HRESULT* phr);

    pixark::CaptureSettings m_settings;
    CPixarkStream* m_pStream = nullptr;  // owned by CSource's pin array
};
