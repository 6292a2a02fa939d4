#include "capfilter/SonarkPlatform.h"

#include <shellapi.h>

namespace sonark {

namespace {

constexpr UINT kMessageStyle = MB_OK | MB_ICONWARNING | MB_TASKMODAL | MB_TOPMOST;

HRESULT CreateSystemEnumerator(IMMDeviceEnumerator** out) {
    return ::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                              reinterpret_cast<void**>(out));
}

void SystemMessageA(const char* text) { ::MessageBoxA(nullptr, text, "Sonark Message", kMessageStyle); }

void SystemMessageW(const wchar_t* text) { ::MessageBoxW(nullptr, text, L"Sonark Message", kMessageStyle); }

void SystemOpenShell(const wchar_t* file) { ::ShellExecuteW(nullptr, L"open", file, nullptr, nullptr, SW_SHOWNORMAL); }

void SystemEndProcess(UINT exitCode) { ::ExitProcess(exitCode); }

const Platform kSystem = {CreateSystemEnumerator, SystemMessageA, SystemMessageW, SystemOpenShell, SystemEndProcess};

Platform g_current = kSystem;

}  // namespace

Platform& CurrentPlatform() { return g_current; }
const Platform& SystemPlatform() { return kSystem; }

}  // namespace sonark
