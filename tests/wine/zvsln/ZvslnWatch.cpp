// zvsln_watch.exe, the Windows side of faults.sh: it stands in for the
// recorder (a window titled "Quorra", so that zvsln.exe never ends for the
// recorder's absence), lists the active render endpoints, starts zvsln.exe
// and tells when its window "Silence" is up and when the program ended
// (its window goes with it).
//   zvsln_watch.exe <path of zvsln.exe>
// Prints "endpoint <id> <name>" per render endpoint, "up" once the window
// exists, then "ended <exit code>" (exit code 0), or "no window" / "still
// running" (exit code 1) after 10 s / 120 s. zvsln.exe runs in a job that
// ends it with this program, however this one ends.

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <mmdeviceapi.h>
#include <propidl.h>

#include <cstdarg>
#include <cstdio>
#include <string>

#include "framework/base/ComPtr.h"
#include "framework/win/Handles.h"

namespace {

// PKEY_Device_FriendlyName; mingw declares it without a library that defines it.
const PROPERTYKEY kFriendlyName = {{0xa45c254e, 0xdf1c, 0x4efd, {0x80, 0x20, 0x67, 0xd1, 0x46, 0xa8, 0x50, 0xe0}}, 14};

void Say(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::fflush(stdout);
}

void ListRenderEndpoints() {
    win::ScopedComApartment com(COINIT_MULTITHREADED);
    ComPtr<IMMDeviceEnumerator> enumerator;
    ComPtr<IMMDeviceCollection> devices;
    UINT count = 0;
    if (FAILED(::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                                  reinterpret_cast<void**>(&enumerator))) ||
        FAILED(enumerator->EnumAudioEndpoints(eRender, DEVICE_STATE_ACTIVE, &devices)) ||
        FAILED(devices->GetCount(&count)))
        return;
    for (UINT i = 0; i < count; ++i) {
        ComPtr<IMMDevice> device;
        ComPtr<IPropertyStore> properties;
        win::CoTaskMemPtr<wchar_t> id;
        PROPVARIANT name;
        ::PropVariantInit(&name);
        if (SUCCEEDED(devices->Item(i, &device)) && SUCCEEDED(device->GetId(id.Put())) &&
            SUCCEEDED(device->OpenPropertyStore(STGM_READ, &properties)) &&
            SUCCEEDED(properties->GetValue(kFriendlyName, &name)) && name.vt == VT_LPWSTR)
            Say("endpoint %ls %ls\n", id.Get(), name.pwszVal);
        ::PropVariantClear(&name);
    }
}

// Waits for the handle while the window's messages are answered.
bool WaitPumping(HANDLE handle, DWORD ms) {
    const DWORD end = ::GetTickCount() + ms;
    for (;;) {
        const LONG left = static_cast<LONG>(end - ::GetTickCount());
        if (left <= 0) return false;
        DWORD r = ::MsgWaitForMultipleObjects(1, &handle, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
        if (r == WAIT_OBJECT_0) return true;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    // Lines for a Linux script: no carriage returns.
    ::_setmode(::_fileno(stdout), _O_BINARY);
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZvslnWatchRecorder";
    ::RegisterClassW(&wc);
    HWND recorder = ::CreateWindowExW(0, wc.lpszClassName, L"Quorra", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                      wc.hInstance, nullptr);
    if (!recorder) return 2;
    ListRenderEndpoints();

    win::Handle job(::CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!job || !::SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits))
        return 2;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + std::wstring(argv[1]) + L"\"";
    if (!::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &si, &pi))
        return 2;
    win::Handle process(pi.hProcess);
    win::Handle thread(pi.hThread);
    if (!::AssignProcessToJobObject(job.Get(), process.Get())) return 2;
    ::ResumeThread(thread.Get());

    const DWORD end = ::GetTickCount() + 10000;
    while (!::FindWindowW(nullptr, L"Silence")) {
        if (static_cast<LONG>(end - ::GetTickCount()) <= 0 || WaitPumping(process.Get(), 50)) {
            Say("no window\n");
            return 1;
        }
    }
    Say("up\n");
    if (!WaitPumping(process.Get(), 120000)) {
        Say("still running\n");
        return 1;
    }
    DWORD code = 99;
    ::GetExitCodeProcess(process.Get(), &code);
    Say("ended %lu\n", code);
    return 0;
}
