#pragma once
// The silence helper's render thread: one shared-mode stream of silence on
// the default render endpoint (console role), kept going across the
// endpoint's changes. A new default endpoint gets a new stream; a stream the
// system takes away (AUDCLNT_E_DEVICE_INVALIDATED: the endpoint was removed
// or its format changed) is opened again on whatever is the default then.
// Once nothing could be rendered for kGiveUpMs, the owner window hears of it
// and the thread ends: a helper that renders nothing must not keep its
// window, or the recorder never starts another one.

#include <windows.h>

#include <audioclient.h>
#include <mmdeviceapi.h>

#include <thread>

#include "framework/base/ComPtr.h"
#include "framework/win/Handles.h"

// Posted to the owner window when the thread gave up rendering.
constexpr UINT kCannotRenderMessage = WM_APP + 1;

class SilenceRenderer {
public:
    static constexpr DWORD kGiveUpMs = 5000;

    explicit SilenceRenderer(HWND owner);
    // Stops the thread and waits for it.
    ~SilenceRenderer();
    SilenceRenderer(const SilenceRenderer&) = delete;
    SilenceRenderer& operator=(const SilenceRenderer&) = delete;

    bool Start();

private:
    enum class Wake { Stop, DefaultChanged, Timeout };
    enum class Outcome { Stopped, Lost, Moved };

    // One started stream on one endpoint; stopped when it goes.
    struct Stream {
        win::CoTaskMemPtr<wchar_t> endpointId;
        ComPtr<IAudioClient> client;
        ComPtr<IAudioRenderClient> render;
        UINT32 frames = 0;
        ~Stream() {
            if (client) client->Stop();
        }
    };

    void Run();
    static HRESULT OpenDefault(IMMDeviceEnumerator* enumerator, Stream& stream);
    // Renders until the stream fails, the default endpoint is another one or
    // the thread is asked to stop; lastRendered follows every good write.
    Outcome Play(Stream& stream, IMMDeviceEnumerator* enumerator, HANDLE defaultChanged, DWORD& lastRendered);
    // Waits for the stop request or a change of the default endpoint
    // (defaultChanged may be null), at most `ms`.
    Wake WaitFor(DWORD ms, HANDLE defaultChanged) const;

    const HWND m_owner;
    win::Handle m_stop;
    std::thread m_thread;
};
