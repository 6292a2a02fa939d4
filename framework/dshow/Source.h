#pragma once
// CSource and CSourceStream: a push source filter whose output pins each
// run a worker thread that fills samples and delivers them downstream.
//
// The filter's state lock (CSource's) is shared by the filter and its pins.
// Pausing the filter from stopped starts each connected pin's thread, which
// then loops: get a buffer, FillBuffer, deliver. Stopping decommits the
// allocator and sends the thread CMD_STOP and CMD_EXIT while holding the
// state lock, so a FillBuffer must never wait for that lock or for data
// without looking for a pending command (CheckRequest).

#include <windows.h>

#include <strmif.h>

#include <vector>

#include "framework/dshow/AMThread.h"
#include "framework/dshow/BaseFilter.h"
#include "framework/dshow/BasePin.h"

class CSourceStream;

class CSource : public CBaseFilter {
public:
    CSource(const wchar_t* name, IUnknown* outer, REFCLSID clsid, HRESULT* phr = nullptr);
    // Destroys the pins that are still there.
    ~CSource() override;

    int GetPinCount() override;
    CBasePin* GetPin(int n) override;

    // Pins add and remove themselves as they are constructed and destroyed.
    HRESULT AddPin(CSourceStream* pin);
    HRESULT RemovePin(CSourceStream* pin);
    int FindPinNumber(IPin* pin);

    CCritSec* pStateLock() { return &m_cStateLock; }

protected:
    CCritSec m_cStateLock;
    std::vector<CSourceStream*> m_paStreams;
};

class CSourceStream : public CAMThread, public CBaseOutputPin {
public:
    enum Command : DWORD { CMD_INIT, CMD_PAUSE, CMD_RUN, CMD_STOP, CMD_EXIT };

    CSourceStream(const wchar_t* objectName, HRESULT* phr, CSource* filter, const wchar_t* pinName);
    ~CSourceStream() override;

    // Starts the thread (CMD_INIT, then CMD_PAUSE) once the allocator is
    // committed.
    HRESULT Active() override;
    // Decommits, then stops and ends the thread.
    HRESULT Inactive() override;

    // One output type: position 0 is GetMediaType(CMediaType*).
    HRESULT GetMediaType(int position, CMediaType* pmt) override;
    // Accepts exactly the type GetMediaType(CMediaType*) describes.
    HRESULT CheckMediaType(const CMediaType* pmt) override;

protected:
    // What a derived stream provides. FillBuffer returns S_OK to deliver the
    // sample, S_FALSE to end the stream (end-of-stream downstream), a failure
    // to abort it (end-of-stream and EC_ERRORABORT with the code).
    virtual HRESULT FillBuffer(IMediaSample* sample) = 0;
    virtual HRESULT GetMediaType(CMediaType* pmt) = 0;
    virtual HRESULT OnThreadCreate() { return S_OK; }
    virtual HRESULT OnThreadDestroy() { return S_OK; }
    virtual HRESULT OnThreadStartPlay() { return S_OK; }
    virtual HRESULT DoBufferProcessingLoop();

    DWORD ThreadProc() override;

    // A command is waiting for the worker (a stop, typically).
    bool StopRequested() { return CheckRequest(nullptr); }

    CSource* m_pSourceFilter;
};
