#include "graph/WindowsMediaRuntime.h"

namespace {

using CreateProfileManagerFn = HRESULT(WINAPI*)(IWMProfileManager**);
using CreateWriterFn = HRESULT(WINAPI*)(IUnknown*, IWMWriter**);

// The runtime stays loaded once found: the objects it made may outlive any
// one call, and the process ends with it loaded.
HMODULE Runtime() {
    static HMODULE module = ::LoadLibraryW(L"wmvcore.dll");
    return module;
}

template <class Fn>
HRESULT Bind(const char* name, Fn& fn) {
    HMODULE module = Runtime();
    if (!module) return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    return fn ? S_OK : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
}

}  // namespace

HRESULT CreateWmProfileManager(IWMProfileManager** manager) {
    if (!manager) return E_POINTER;
    *manager = nullptr;
    CreateProfileManagerFn create = nullptr;
    HRESULT hr = Bind("WMCreateProfileManager", create);
    if (FAILED(hr)) return hr;
    return create(manager);
}

HRESULT CreateWmWriter(IWMWriter** writer) {
    if (!writer) return E_POINTER;
    *writer = nullptr;
    CreateWriterFn create = nullptr;
    HRESULT hr = Bind("WMCreateWriter", create);
    if (FAILED(hr)) return hr;
    return create(nullptr, writer);
}
