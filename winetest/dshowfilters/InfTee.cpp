#include "winetest/dshowfilters/InfTee.h"

#include <cwchar>
#include <new>

#include "winetest/dshowfilters/StandInIds.h"

CUnknown* CALLBACK CInfTee::CreateInstance(IUnknown* outer, HRESULT* phr) {
    auto* tee = new (std::nothrow) CInfTee(outer, phr);
    if (!tee) {
        *phr = E_OUTOFMEMORY;
        return nullptr;
    }
    if (FAILED(*phr)) {
        delete tee;
        return nullptr;
    }
    return tee;
}

CInfTee::CInfTee(IUnknown* outer, HRESULT* phr)
    : CBaseFilter(kInfTeeName, outer, &m_stateLock, CLSID_InfTee), m_input(this, &m_stateLock, phr) {
    HRESULT hr = AddOutputPin();
    if (FAILED(hr)) *phr = hr;
}

// The pins go before the base class: their connections may still refer to
// other filters, which they release.
CInfTee::~CInfTee() = default;

HRESULT CInfTee::AddOutputPin() {
    wchar_t name[32];
    std::swprintf(name, 32, L"Output%d", m_nextOutputNumber);
    HRESULT hr = S_OK;
    std::unique_ptr<CTeeOutputPin> pin(new (std::nothrow) CTeeOutputPin(this, &m_stateLock, &hr, name));
    if (!pin) return E_OUTOFMEMORY;
    if (FAILED(hr)) return hr;
    CAutoLock lock(&m_pinsLock);
    try {
        m_outputs.push_back(std::move(pin));
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    ++m_nextOutputNumber;
    IncrementPinVersion();
    return S_OK;
}

int CInfTee::GetPinCount() {
    CAutoLock lock(&m_pinsLock);
    return 1 + static_cast<int>(m_outputs.size());
}

CBasePin* CInfTee::GetPin(int n) {
    CAutoLock lock(&m_pinsLock);
    if (n == 0) return &m_input;
    if (n < 1 || n > static_cast<int>(m_outputs.size())) return nullptr;
    return m_outputs[static_cast<size_t>(n - 1)].get();
}

void CInfTee::OnOutputConnected(CTeeOutputPin*) {
    {
        CAutoLock lock(&m_pinsLock);
        for (const auto& pin : m_outputs)
            if (!pin->IsConnected()) return;
    }
    // Without a free pin the tee would stop growing; nothing better can be
    // done without memory than to leave the connection as it is.
    AddOutputPin();
}

void CInfTee::OnOutputDisconnected(CTeeOutputPin* pin) {
    CAutoLock lock(&m_pinsLock);
    bool otherFree = false;
    size_t index = m_outputs.size();
    for (size_t i = 0; i < m_outputs.size(); ++i) {
        if (m_outputs[i].get() == pin)
            index = i;
        else if (!m_outputs[i]->IsConnected())
            otherFree = true;
    }
    if (!otherFree || index == m_outputs.size()) return;
    try {
        m_retired.push_back(std::move(m_outputs[index]));
    } catch (...) {
        // Kept in place: one free pin too many, which harms nobody.
        return;
    }
    m_outputs.erase(m_outputs.begin() + static_cast<std::ptrdiff_t>(index));
    pin->Retire();
    IncrementPinVersion();
}

std::vector<CTeeOutputPin*> CInfTee::ConnectedOutputs() {
    std::vector<CTeeOutputPin*> pins;
    CAutoLock lock(&m_pinsLock);
    try {
        for (const auto& pin : m_outputs)
            if (pin->IsConnected()) pins.push_back(pin.get());
    } catch (...) {
        pins.clear();
    }
    return pins;
}

HRESULT CInfTee::DeliverToOutputs(IMediaSample* sample) {
    // One refusing branch (a renderer that is stopping, say) does not starve
    // the others; the upstream filter learns only when every branch refused.
    auto pins = ConnectedOutputs();
    if (pins.empty()) return S_OK;
    HRESULT last = S_OK;
    bool delivered = false;
    for (CTeeOutputPin* pin : pins) {
        HRESULT hr = pin->DeliverCopy(sample);
        if (hr == S_OK)
            delivered = true;
        else
            last = hr;
    }
    return delivered ? S_OK : last;
}

void CInfTee::EndOfStreamToOutputs() {
    for (CTeeOutputPin* pin : ConnectedOutputs()) pin->DeliverEndOfStream();
}

void CInfTee::BeginFlushToOutputs() {
    for (CTeeOutputPin* pin : ConnectedOutputs()) pin->DeliverBeginFlush();
}

void CInfTee::EndFlushToOutputs() {
    for (CTeeOutputPin* pin : ConnectedOutputs()) pin->DeliverEndFlush();
}

void CInfTee::NewSegmentToOutputs(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    for (CTeeOutputPin* pin : ConnectedOutputs()) pin->DeliverNewSegment(start, stop, rate);
}
