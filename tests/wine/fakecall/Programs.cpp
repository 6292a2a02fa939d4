#include "tests/wine/fakecall/Programs.h"

namespace {

std::wstring TestFolder() {
    wchar_t path[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L"\\/") + 1);
}

}  // namespace

std::wstring BesideTest(const wchar_t* file) { return TestFolder() + file; }

std::wstring InProductFolder(const wchar_t* file) {
    const std::wstring relative = TestFolder() + L"..\\bin\\" + file;
    wchar_t full[MAX_PATH] = {};
    DWORD n = ::GetFullPathNameW(relative.c_str(), MAX_PATH, full, nullptr);
    return n == 0 || n >= MAX_PATH ? relative : std::wstring(full, n);
}

win::Handle StartProgram(const std::wstring& path, const std::wstring& arguments) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + path + L"\" " + arguments;
    if (!::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return {};
    ::CloseHandle(pi.hThread);
    return win::Handle(pi.hProcess);
}

HWND WaitForWindow(const wchar_t* windowClass, const wchar_t* title, DWORD timeoutMs) {
    const DWORD end = ::GetTickCount() + timeoutMs;
    do {
        if (HWND h = ::FindWindowW(windowClass, title)) return h;
        ::Sleep(20);
    } while (static_cast<LONG>(end - ::GetTickCount()) > 0);
    return nullptr;
}

void EndProgram(win::Handle& process, HWND window) {
    if (!process) return;
    if (window) ::PostMessageW(window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.Get(), 5000) != WAIT_OBJECT_0) ::TerminateProcess(process.Get(), 1);
    process.Reset();
}
