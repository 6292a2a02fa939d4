#pragma once
// Small in-process filters for the lookup tests, built on our own base
// classes: a filter with exactly the pins a test names (in that order, with
// optional faults), and a filter that offers property pages it cannot list.

#include <windows.h>

#include <strmif.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/base/ComPtr.h"
#include "framework/dshow/BaseFilter.h"
#include "framework/dshow/BasePin.h"

namespace lookuptest {

struct PinSpec {
    PIN_DIRECTION direction;
    std::wstring name;
    bool failDirection = false;  // QueryDirection fails
    bool failInfo = false;       // QueryPinInfo fails
};

class PinFixtureFilter : public CBaseFilter {
public:
    // A filter with these pins; with failEnumeration its EnumPins fails.
    // The pointer carries the caller's reference.
    static ComPtr<IBaseFilter> Create(const std::vector<PinSpec>& pins, bool failEnumeration = false);

    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** ppEnum) override;
    int GetPinCount() override { return static_cast<int>(m_pins.size()); }
    CBasePin* GetPin(int n) override;

protected:
    PinFixtureFilter(const std::vector<PinSpec>& pins, bool failEnumeration);

private:
    CCritSec m_lock;
    std::vector<std::unique_ptr<CBasePin>> m_pins;
    bool m_failEnumeration;
};

// Offers ISpecifyPropertyPages, but GetPages fails with E_FAIL, so no
// property frame can open.
class PagesFixtureFilter : public PinFixtureFilter, public ISpecifyPropertyPages {
public:
    static ComPtr<IBaseFilter> Create();

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override;

private:
    PagesFixtureFilter();
};

}  // namespace lookuptest
