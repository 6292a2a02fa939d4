// Stand-in filter file for the registerw.bat test. DllRegisterServer writes
// "registered.txt" beside the module with the module's own path, so the test
// knows which file regsvr32 was given; with "fail.txt" beside it, it fails
// instead, as a filter whose registration goes wrong.

#include <windows.h>

#include <string>

#include "framework/win/Handles.h"

namespace {

HMODULE g_module = nullptr;

std::wstring ModulePath() {
    wchar_t path[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(g_module, path, MAX_PATH);
    return std::wstring(path, n < MAX_PATH ? n : 0);
}

std::wstring Beside(const std::wstring& module, const wchar_t* name) {
    return module.substr(0, module.find_last_of(L"\\/") + 1) + name;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = instance;
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllRegisterServer() {
    const std::wstring module = ModulePath();
    if (module.empty()) return E_UNEXPECTED;
    if (::GetFileAttributesW(Beside(module, L"fail.txt").c_str()) != INVALID_FILE_ATTRIBUTES) return E_FAIL;
    win::Handle file(::CreateFileW(Beside(module, L"registered.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return E_FAIL;
    DWORD written = 0;
    const DWORD bytes = static_cast<DWORD>(module.size() * sizeof(wchar_t));
    return ::WriteFile(file.Get(), module.data(), bytes, &written, nullptr) && written == bytes ? S_OK : E_FAIL;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllUnregisterServer() { return S_OK; }
