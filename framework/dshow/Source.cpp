#include "framework/dshow/Source.h"

#include <evcode.h>

#include <algorithm>

CSource::CSource(const wchar_t* name, IUnknown* outer, REFCLSID clsid, HRESULT*)
    : CBaseFilter(name, outer, &m_cStateLock, clsid) {}

CSource::~CSource() {
    // Each pin's destructor takes itself out of the array.
    while (!m_paStreams.empty()) delete m_paStreams.back();
}

int CSource::GetPinCount() {
    CAutoLock lock(&m_cStateLock);
    return static_cast<int>(m_paStreams.size());
}

CBasePin* CSource::GetPin(int n) {
    CAutoLock lock(&m_cStateLock);
    if (n < 0 || n >= static_cast<int>(m_paStreams.size())) return nullptr;
    return m_paStreams[static_cast<size_t>(n)];
}

HRESULT CSource::AddPin(CSourceStream* pin) {
    CAutoLock lock(&m_cStateLock);
    try {
        m_paStreams.push_back(pin);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    IncrementPinVersion();
    return S_OK;
}

HRESULT CSource::RemovePin(CSourceStream* pin) {
    CAutoLock lock(&m_cStateLock);
    auto it = std::find(m_paStreams.begin(), m_paStreams.end(), pin);
    if (it == m_paStreams.end()) return S_FALSE;
    m_paStreams.erase(it);
    IncrementPinVersion();
    return S_OK;
}

int CSource::FindPinNumber(IPin* pin) {
    CAutoLock lock(&m_cStateLock);
    for (size_t i = 0; i < m_paStreams.size(); ++i)
        if (static_cast<IPin*>(m_paStreams[i]) == pin) return static_cast<int>(i);
    return -1;
}

CSourceStream::CSourceStream(const wchar_t* objectName, HRESULT* phr, CSource* filter, const wchar_t* pinName)
    : CBaseOutputPin(objectName, filter, filter->pStateLock(), phr, pinName), m_pSourceFilter(filter) {
    HRESULT hr = filter->AddPin(this);
    if (phr && FAILED(hr)) *phr = hr;
}

CSourceStream::~CSourceStream() {
    // The thread uses this object: it must be gone first.
    if (ThreadExists()) {
        CallWorker(CMD_STOP);
        CallWorker(CMD_EXIT);
        Close();
    }
    m_pSourceFilter->RemovePin(this);
}

HRESULT CSourceStream::Active() {
    CAutoLock lock(m_pSourceFilter->pStateLock());
    if (m_pSourceFilter->IsActive()) return S_FALSE;
    if (!IsConnected()) return S_OK;
    HRESULT hr = CBaseOutputPin::Active();
    if (FAILED(hr)) return hr;
    if (ThreadExists()) return E_UNEXPECTED;
    if (!Create()) return E_FAIL;
    hr = static_cast<HRESULT>(CallWorker(CMD_INIT));
    if (FAILED(hr)) {
        Close();
        return hr;
    }
    return static_cast<HRESULT>(CallWorker(CMD_PAUSE));
}

HRESULT CSourceStream::Inactive() {
    CAutoLock lock(m_pSourceFilter->pStateLock());
    if (!IsConnected()) return S_OK;
    // Decommitting first frees a worker blocked in GetDeliveryBuffer.
    HRESULT hr = CBaseOutputPin::Inactive();
    if (ThreadExists()) {
        CallWorker(CMD_STOP);
        CallWorker(CMD_EXIT);
        Close();
    }
    return hr;
}

HRESULT CSourceStream::GetMediaType(int position, CMediaType* pmt) {
    if (!pmt) return E_POINTER;
    CAutoLock lock(m_pSourceFilter->pStateLock());
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    return GetMediaType(pmt);
}

HRESULT CSourceStream::CheckMediaType(const CMediaType* pmt) {
    if (!pmt) return E_POINTER;
    CAutoLock lock(m_pSourceFilter->pStateLock());
    CMediaType mine;
    HRESULT hr = GetMediaType(&mine);
    if (FAILED(hr)) return hr;
    return mine == *pmt ? S_OK : E_FAIL;
}

DWORD CSourceStream::ThreadProc() {
    DWORD cmd;
    do {
        cmd = GetRequest();
        if (cmd != CMD_INIT) Reply(static_cast<DWORD>(E_UNEXPECTED));
    } while (cmd != CMD_INIT);

    HRESULT hr = OnThreadCreate();
    if (FAILED(hr)) {
        OnThreadDestroy();
        Reply(static_cast<DWORD>(hr));
        return 1;
    }
    Reply(static_cast<DWORD>(S_OK));

    do {
        cmd = GetRequest();
        switch (cmd) {
            case CMD_EXIT:
            case CMD_STOP:
                Reply(static_cast<DWORD>(S_OK));
                break;
            case CMD_RUN:
            case CMD_PAUSE:
                Reply(static_cast<DWORD>(S_OK));
                DoBufferProcessingLoop();
                break;
            default:
                Reply(static_cast<DWORD>(E_NOTIMPL));
                break;
        }
    } while (cmd != CMD_EXIT);

    OnThreadDestroy();
    return 0;
}

HRESULT CSourceStream::DoBufferProcessingLoop() {
    OnThreadStartPlay();
    DWORD cmd = CMD_STOP;
    do {
        while (!CheckRequest(&cmd)) {
            IMediaSample* sample = nullptr;
            HRESULT hr = GetDeliveryBuffer(&sample, nullptr, nullptr, 0);
            if (FAILED(hr) || !sample) {
                // Decommitted: a stop is on its way.
                ::Sleep(1);
                continue;
            }
            hr = FillBuffer(sample);
            if (hr == S_OK) {
                hr = Deliver(sample);
                sample->Release();
                // Downstream refuses (stopping, flushing, failed): this
                // stream is done until the next command. A failure that is
                // not a stop's (the writer's full disk) is the graph's news.
                if (hr != S_OK) {
                    if (IsDeliveryFailure(hr)) m_pSourceFilter->NotifyEvent(EC_ERRORABORT, hr, 0);
                    return S_OK;
                }
            } else if (hr == S_FALSE) {
                sample->Release();
                DeliverEndOfStream();
                return S_OK;
            } else {
                sample->Release();
                DeliverEndOfStream();
                m_pSourceFilter->NotifyEvent(EC_ERRORABORT, hr, 0);
                return hr;
            }
        }
        if (cmd == CMD_RUN || cmd == CMD_PAUSE) {
            Reply(static_cast<DWORD>(S_OK));
        } else if (cmd != CMD_STOP && cmd != CMD_EXIT) {
            Reply(static_cast<DWORD>(E_UNEXPECTED));
        }
        // A stop or exit stays pending for ThreadProc to answer.
    } while (cmd != CMD_STOP && cmd != CMD_EXIT);
    return S_FALSE;
}
