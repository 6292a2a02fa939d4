#include "tests/wine/graph/PinFixtureFilters.h"

#include <ocidl.h>

namespace lookuptest {

namespace {

// {8E3B6C52-41A7-4F0B-9D2E-5A7C1F3B9E11}: test-only class id.
const CLSID kFixtureClsid = {0x8e3b6c52, 0x41a7, 0x4f0b, {0x9d, 0x2e, 0x5a, 0x7c, 0x1f, 0x3b, 0x9e, 0x11}};

// The faults a pin can be told to have.
template <class Base>
class FaultyPin : public Base {
public:
    FaultyPin(CBaseFilter* filter, CCritSec* lock, const PinSpec& spec)
        : Base(L"FixturePin", filter, lock, nullptr, spec.name.c_str()), m_spec(spec) {}

    HRESULT CheckMediaType(const CMediaType*) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* dir) override {
        return m_spec.failDirection ? E_UNEXPECTED : Base::QueryDirection(dir);
    }
    HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* info) override {
        return m_spec.failInfo ? E_UNEXPECTED : Base::QueryPinInfo(info);
    }

private:
    PinSpec m_spec;
};

class FixtureOutputPin : public FaultyPin<CBaseOutputPin> {
public:
    using FaultyPin::FaultyPin;
    HRESULT DecideBufferSize(IMemAllocator*, ALLOCATOR_PROPERTIES*) override { return E_NOTIMPL; }
};

using FixtureInputPin = FaultyPin<CBaseInputPin>;

}  // namespace

PinFixtureFilter::PinFixtureFilter(const std::vector<PinSpec>& pins, bool failEnumeration)
    : CBaseFilter(L"PinFixtureFilter", nullptr, &m_lock, kFixtureClsid), m_failEnumeration(failEnumeration) {
    for (const PinSpec& spec : pins) {
        if (spec.direction == PINDIR_INPUT)
            m_pins.push_back(std::make_unique<FixtureInputPin>(this, &m_lock, spec));
        else
            m_pins.push_back(std::make_unique<FixtureOutputPin>(this, &m_lock, spec));
    }
}

ComPtr<IBaseFilter> PinFixtureFilter::Create(const std::vector<PinSpec>& pins, bool failEnumeration) {
    return ComPtr<IBaseFilter>(new PinFixtureFilter(pins, failEnumeration));
}

HRESULT STDMETHODCALLTYPE PinFixtureFilter::EnumPins(IEnumPins** ppEnum) {
    if (m_failEnumeration) {
        if (ppEnum) *ppEnum = nullptr;
        return E_OUTOFMEMORY;
    }
    return CBaseFilter::EnumPins(ppEnum);
}

CBasePin* PinFixtureFilter::GetPin(int n) {
    return n >= 0 && n < GetPinCount() ? m_pins[static_cast<size_t>(n)].get() : nullptr;
}

PagesFixtureFilter::PagesFixtureFilter() : PinFixtureFilter({{PINDIR_OUTPUT, L"Out"}}, false) {}

ComPtr<IBaseFilter> PagesFixtureFilter::Create() { return ComPtr<IBaseFilter>(new PagesFixtureFilter); }

HRESULT STDMETHODCALLTYPE PagesFixtureFilter::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (riid == IID_ISpecifyPropertyPages) return GetInterface(static_cast<ISpecifyPropertyPages*>(this), ppv);
    return PinFixtureFilter::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT STDMETHODCALLTYPE PagesFixtureFilter::GetPages(CAUUID* pages) {
    if (!pages) return E_POINTER;
    pages->cElems = 0;
    pages->pElems = nullptr;
    return E_FAIL;
}

}  // namespace lookuptest
