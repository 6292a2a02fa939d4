#pragma once
// CWavDest: "WAV Dest" for the Wine test prefix. One input pin "In" that
// accepts PCM audio (FORMAT_WaveFormatEx) and IFileSinkFilter. With a file
// name, Pause from stopped creates a RIFF WAVE file (fmt from the
// connection's WAVEFORMATEX), every sample is appended to its data chunk,
// and Stop fixes the sizes and closes it, so the file is complete when Stop
// returns. Without a file name the samples are accepted and dropped. As a
// renderer it sends EC_COMPLETE for an end of stream only while running:
// the graph forgets completions that come before its Run.

#include <windows.h>

#include <strmif.h>

#include <string>

#include "framework/dshow/BaseFilter.h"
#include "framework/dshow/BasePin.h"
#include "winetest/dshowfilters/WavFileWriter.h"

class CWavDest;

class CWavDestInputPin : public CBaseInputPin {
public:
    CWavDestInputPin(CWavDest* filter, CCritSec* lock, HRESULT* phr);
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    HRESULT STDMETHODCALLTYPE EndOfStream() override;

private:
    CWavDest* m_dest;
};

class CWavDest : public CBaseFilter, public IFileSinkFilter, public IAMFilterMiscFlags {
public:
    static CUnknown* CALLBACK CreateInstance(IUnknown* outer, HRESULT* phr);

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Pause() override;
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) override;

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? &m_input : nullptr; }

    // IFileSinkFilter
    HRESULT STDMETHODCALLTYPE SetFileName(LPCOLESTR name, const AM_MEDIA_TYPE* pmt) override;
    HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR* name, AM_MEDIA_TYPE* pmt) override;
    // IAMFilterMiscFlags: a renderer, so the graph waits for its EC_COMPLETE.
    ULONG STDMETHODCALLTYPE GetMiscFlags() override { return AM_FILTER_MISC_FLAGS_IS_RENDERER; }

    // From the input pin, on the streaming thread.
    HRESULT WriteSample(IMediaSample* sample);
    void EndOfStreamArrived();

private:
    CWavDest(IUnknown* outer, HRESULT* phr);
    void NotifyCompleteIfEnded();

    CCritSec m_stateLock;
    // Owns m_writer: held by the streaming thread while it writes and by
    // the state changes that open and close the file.
    CCritSec m_receiveLock;
    CWavDestInputPin m_input;
    std::wstring m_fileName;
    WavFileWriter m_writer;
    // Under m_stateLock: the input ended in this run, and whether its
    // EC_COMPLETE has gone out.
    bool m_ended = false;
    bool m_completeSent = false;
};
