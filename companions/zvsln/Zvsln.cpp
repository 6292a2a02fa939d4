// zvsln.exe, the silence helper: a hidden top-level window titled "Silence"
// that renders silence to the default speakers through WASAPI shared mode
// for as long as it runs, so that loopback capture of the speakers keeps
// receiving packets while nobody speaks. It ends by itself once no window
// titled "Quorra" (the recorder) has existed for a few seconds.

#include <windows.h>

#include <audioclient.h>
#include <mmdeviceapi.h>

#include <atomic>
#include <thread>

#include "framework/base/ComPtr.h"
#include "framework/win/Handles.h"
#include "framework/win/HelperWindow.h"

namespace {

constexpr UINT_PTR kCheckTimer = 1;
constexpr UINT kCheckMs = 1000;
// How long the helper waits for the recorder's window, at start and after
// it has gone.
constexpr DWORD kGraceMs = 5000;

std::atomic<bool> g_stop{false};

// Keeps one shared-mode stream of silence going on the default render
// endpoint, at the endpoint's mix format.
void RenderSilence() {
    win::ScopedComApartment com(COINIT_MULTITHREADED);
    ComPtr<IMMDeviceEnumerator> enumerator;
    ComPtr<IMMDevice> device;
    ComPtr<IAudioClient> client;
    ComPtr<IAudioRenderClient> render;
    win::CoTaskMemPtr<WAVEFORMATEX> mix;
    UINT32 frames = 0;
    if (FAILED(::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                                  reinterpret_cast<void**>(&enumerator))) ||
        FAILED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &device)) ||
        FAILED(device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, reinterpret_cast<void**>(&client))) ||
        FAILED(client->GetMixFormat(mix.Put())) ||
        FAILED(client->Initialize(AUDCLNT_SHAREMODE_SHARED, 0, 2000000, 0, mix.Get(), nullptr)) ||
        FAILED(client->GetBufferSize(&frames)) ||
        FAILED(client->GetService(__uuidof(IAudioRenderClient), reinterpret_cast<void**>(&render))) ||
        FAILED(client->Start()))
        return;
    while (!g_stop) {
        UINT32 padding = 0;
        if (FAILED(client->GetCurrentPadding(&padding))) break;
        UINT32 room = frames - padding;
        BYTE* data = nullptr;
        if (room && SUCCEEDED(render->GetBuffer(room, &data))) render->ReleaseBuffer(room, AUDCLNT_BUFFERFLAGS_SILENT);
        ::Sleep(20);
    }
    client->Stop();
}

DWORD g_lastSeen = 0;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_TIMER:
            if (wParam == kCheckTimer) {
                if (::FindWindowW(nullptr, L"Quorra"))
                    g_lastSeen = ::GetTickCount();
                else if (::GetTickCount() - g_lastSeen >= kGraceMs)
                    ::DestroyWindow(hwnd);
            }
            return 0;
        default:
            return win::HelperWindowDefault(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    HWND hwnd = win::CreateHelperWindow(instance, L"TelvaneSilence", L"Silence", WindowProc);
    if (!hwnd) return 1;
    g_lastSeen = ::GetTickCount();
    ::SetTimer(hwnd, kCheckTimer, kCheckMs, nullptr);
    std::thread silence(RenderSilence);
    win::PumpUntilQuit();
    g_stop = true;
    silence.join();
    return 0;
}
