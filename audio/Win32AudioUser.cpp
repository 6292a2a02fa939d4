#include "audio/Win32AudioUser.h"

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include <thread>

#include "app/services/EnvironmentProbes.h"
#include "app/services/ProgramExit.h"
#include "app/services/ShowMessage.h"

namespace {

void ShellOpen(const std::wstring& file) {
    ::ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

int Win32AudioUser::ShowMessage(const std::wstring& text, bool yesNo) {
    return ::ShowMessage(text, yesNo ? MB_YESNO : MB_OK);
}

void Win32AudioUser::OpenFile(const std::wstring& file) { ShellOpen(file); }

void Win32AudioUser::WaitPumping(unsigned ms) { ::WaitPumping(ms); }

void Win32AudioUser::StartOpenFileThread(const std::wstring& file) {
    // The shell may hand the file to an extension that needs an apartment.
    std::thread([file] {
        const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        ShellOpen(file);
        if (SUCCEEDED(hr)) ::CoUninitialize();
    }).detach();
}

void Win32AudioUser::StartMessageThread(const std::wstring& text) {
    std::thread([text] { ::ShowMessage(text, MB_OK); }).detach();
}

void Win32AudioUser::CloseProgram() { ::CloseProgram(); }
