#pragma once
// The tee's pins: its input, which accepts any type while no output is
// connected (afterwards only the type the outputs carry), and its outputs,
// which offer exactly the input's type and cannot connect before the input.

#include <windows.h>

#include <strmif.h>

#include "framework/dshow/BasePin.h"

class CInfTee;

class CTeeInputPin : public CBaseInputPin {
public:
    CTeeInputPin(CInfTee* tee, CCritSec* lock, HRESULT* phr);

    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE BeginFlush() override;
    HRESULT STDMETHODCALLTYPE EndFlush() override;
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    // The buffer size the upstream allocator gave us (0 before it did).
    long UpstreamBufferSize();
    HRESULT STDMETHODCALLTYPE NotifyAllocator(IMemAllocator* alloc, BOOL readOnly) override;

private:
    CInfTee* m_tee;
    long m_upstreamBufferSize = 0;
};

class CTeeOutputPin : public CBaseOutputPin {
public:
    CTeeOutputPin(CInfTee* tee, CCritSec* lock, HRESULT* phr, const wchar_t* name);

    // Refuses at once while the input is unconnected: there is no type yet.
    HRESULT STDMETHODCALLTYPE Connect(IPin* receivePin, const AM_MEDIA_TYPE* pmt) override;
    HRESULT CheckConnect(IPin* pin) override;
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT GetMediaType(int position, CMediaType* pmt) override;
    HRESULT CompleteConnect(IPin* receivePin) override;
    HRESULT STDMETHODCALLTYPE Disconnect() override;
    HRESULT DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* request) override;

    // Copies the sample into a buffer of this pin's allocator and delivers it.
    HRESULT DeliverCopy(IMediaSample* sample);
    void Retire() { m_retired = true; }

private:
    CInfTee* m_tee;
    bool m_retired = false;
};
