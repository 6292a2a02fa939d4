// zvsln.exe under Wine: its hidden window "Silence", loopback packets while
// it runs, and its end once the recorder's window "Quorra" is gone.

#include <gtest/gtest.h>

#include <windows.h>

#include <strmif.h>

#include <audioclient.h>
#include <mmdeviceapi.h>

#include <string>

#include "framework/base/ComPtr.h"
#include "framework/win/Handles.h"

namespace {

// The product's files sit in the build's "bin", beside the tests folder.
std::wstring InProductFolder(const wchar_t* file) {
    wchar_t path[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    const std::wstring relative = p.substr(0, p.find_last_of(L"\\/") + 1) + L"..\\bin\\" + file;
    wchar_t full[MAX_PATH] = {};
    n = ::GetFullPathNameW(relative.c_str(), MAX_PATH, full, nullptr);
    return n == 0 || n >= MAX_PATH ? relative : std::wstring(full, n);
}

win::Handle StartHelper() {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + InProductFolder(L"zvsln.exe") + L"\"";
    if (!::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return {};
    ::CloseHandle(pi.hThread);
    return win::Handle(pi.hProcess);
}

HWND WaitForWindow(const wchar_t* title, DWORD timeoutMs) {
    DWORD end = ::GetTickCount() + timeoutMs;
    do {
        if (HWND h = ::FindWindowW(nullptr, title)) return h;
        ::Sleep(50);
    } while (static_cast<LONG>(end - ::GetTickCount()) > 0);
    return nullptr;
}

// A window titled like the recorder's.
struct FakeRecorder {
    HWND hwnd = nullptr;
    FakeRecorder() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"FakeQuorra";
        ::RegisterClassW(&wc);
        hwnd = ::CreateWindowExW(0, wc.lpszClassName, L"Quorra", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                                 nullptr);
    }
    ~FakeRecorder() { Close(); }
    void Close() {
        if (hwnd) ::DestroyWindow(hwnd);
        hwnd = nullptr;
    }
};

// Frames captured through loopback from the default speakers in `ms`.
UINT64 LoopbackFrames(DWORD ms) {
    ComPtr<IMMDeviceEnumerator> enumerator;
    ComPtr<IMMDevice> device;
    ComPtr<IAudioClient> client;
    ComPtr<IAudioCaptureClient> capture;
    WAVEFORMATEX wfx{WAVE_FORMAT_PCM, 2, 48000, 192000, 4, 16, 0};
    if (FAILED(::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                                  reinterpret_cast<void**>(&enumerator))) ||
        FAILED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &device)) ||
        FAILED(device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, reinterpret_cast<void**>(&client))) ||
        FAILED(
            client->Initialize(AUDCLNT_SHAREMODE_SHARED, AUDCLNT_STREAMFLAGS_LOOPBACK, 10000000, 0, &wfx, nullptr)) ||
        FAILED(client->GetService(__uuidof(IAudioCaptureClient), reinterpret_cast<void**>(&capture))) ||
        FAILED(client->Start()))
        return 0;
    UINT64 total = 0;
    DWORD end = ::GetTickCount() + ms;
    while (static_cast<LONG>(end - ::GetTickCount()) > 0) {
        UINT32 packet = 0;
        while (SUCCEEDED(capture->GetNextPacketSize(&packet)) && packet) {
            BYTE* data;
            UINT32 frames;
            DWORD flags;
            if (FAILED(capture->GetBuffer(&data, &frames, &flags, nullptr, nullptr))) break;
            total += frames;
            capture->ReleaseBuffer(frames);
        }
        ::Sleep(10);
    }
    client->Stop();
    return total;
}

}  // namespace

TEST(Zvsln, ShowsNoWindowKeepsLoopbackFlowingAndEndsAfterTheRecorder) {
    win::ScopedComApartment com(COINIT_MULTITHREADED);
    FakeRecorder recorder;
    ASSERT_NE(recorder.hwnd, nullptr);
    win::Handle helper = StartHelper();
    ASSERT_TRUE(helper);
    HWND silence = WaitForWindow(L"Silence", 10000);
    ASSERT_NE(silence, nullptr);
    EXPECT_FALSE(::IsWindowVisible(silence));

    // With nothing else playing, loopback delivers about real time.
    UINT64 frames = LoopbackFrames(3000);
    std::printf("loopback frames in 3 s with the helper running: %llu\n", frames);
    EXPECT_GT(frames, 48000u);

    // Still there while the recorder is.
    EXPECT_EQ(::WaitForSingleObject(helper.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    recorder.Close();
    DWORD before = ::GetTickCount();
    ASSERT_EQ(::WaitForSingleObject(helper.Get(), 15000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD took = ::GetTickCount() - before;
    std::printf("helper ended %lu ms after the recorder's window\n", took);
    EXPECT_GE(took, 3500u);
    DWORD code = 99;
    ::GetExitCodeProcess(helper.Get(), &code);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(::FindWindowW(nullptr, L"Silence"), nullptr);
}

TEST(Zvsln, EndsByItselfWithoutTheRecorder) {
    win::Handle helper = StartHelper();
    ASSERT_TRUE(helper);
    ASSERT_NE(WaitForWindow(L"Silence", 10000), nullptr);
    EXPECT_EQ(::WaitForSingleObject(helper.Get(), 15000), static_cast<DWORD>(WAIT_OBJECT_0));
}
