#include "companions/zvsln/SilenceRenderer.h"

#include <atomic>
#include <cwchar>
#include <new>

namespace {

// Between two writes; the buffer holds 200 ms.
constexpr DWORD kWriteMs = 20;
constexpr REFERENCE_TIME kBufferHns = 2000000;
// Between attempts to open a stream while none renders.
constexpr DWORD kRetryMs = 250;

// Signals its event when the default render endpoint of the console role
// changes. Windows tells of every role separately, and Wine only of the
// defaults chosen in its own settings (winecfg): a PulseAudio default sink
// that changes is followed by PulseAudio itself, which moves the streams of
// Wine's "PulseAudio" endpoint. Counted references: the enumerator may still
// hold one after the thread unregistered it.
class DefaultEndpointWatch final : public IMMNotificationClient {
public:
    DefaultEndpointWatch() : m_changed(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    HANDLE Changed() const { return m_changed.Get(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid != __uuidof(IUnknown) && riid != __uuidof(IMMNotificationClient)) return E_NOINTERFACE;
        *ppv = static_cast<IMMNotificationClient*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --m_refs;
        if (!left) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow flow, ERole role, LPCWSTR) override {
        if (flow == eRender && role == eConsole) ::SetEvent(m_changed.Get());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override { return S_OK; }

private:
    ~DefaultEndpointWatch() = default;

    std::atomic<ULONG> m_refs{1};
    win::Handle m_changed;
};

// Whether the default endpoint is now another one than `current`. No
// default at all is no move: the stream goes on while it renders.
bool DefaultMovedFrom(IMMDeviceEnumerator* enumerator, const wchar_t* current) {
    ComPtr<IMMDevice> device;
    win::CoTaskMemPtr<wchar_t> id;
    if (FAILED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &device)) || FAILED(device->GetId(id.Put())) ||
        !id)
        return false;
    return !current || std::wcscmp(id.Get(), current) != 0;
}

}  // namespace

SilenceRenderer::SilenceRenderer(HWND owner) : m_owner(owner), m_stop(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

SilenceRenderer::~SilenceRenderer() {
    if (!m_thread.joinable()) return;
    ::SetEvent(m_stop.Get());
    m_thread.join();
}

bool SilenceRenderer::Start() {
    if (!m_stop || m_thread.joinable()) return false;
    m_thread = std::thread([this] { Run(); });
    return true;
}

HRESULT SilenceRenderer::OpenDefault(IMMDeviceEnumerator* enumerator, Stream& stream) {
    ComPtr<IMMDevice> device;
    win::CoTaskMemPtr<WAVEFORMATEX> mix;
    HRESULT hr;
    if (FAILED(hr = enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &device)) ||
        FAILED(hr = device->GetId(stream.endpointId.Put())) ||
        FAILED(hr = device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr,
                                     reinterpret_cast<void**>(&stream.client))) ||
        FAILED(hr = stream.client->GetMixFormat(mix.Put())) ||
        FAILED(hr = stream.client->Initialize(AUDCLNT_SHAREMODE_SHARED, 0, kBufferHns, 0, mix.Get(), nullptr)) ||
        FAILED(hr = stream.client->GetBufferSize(&stream.frames)) ||
        FAILED(hr =
                   stream.client->GetService(__uuidof(IAudioRenderClient), reinterpret_cast<void**>(&stream.render))) ||
        FAILED(hr = stream.client->Start()))
        return hr;
    return S_OK;
}

SilenceRenderer::Outcome SilenceRenderer::Play(Stream& stream, IMMDeviceEnumerator* enumerator, HANDLE defaultChanged,
                                               DWORD& lastRendered) {
    for (;;) {
        UINT32 padding = 0;
        if (FAILED(stream.client->GetCurrentPadding(&padding))) return Outcome::Lost;
        const UINT32 room = stream.frames - padding;
        BYTE* data = nullptr;
        if (room && (FAILED(stream.render->GetBuffer(room, &data)) ||
                     FAILED(stream.render->ReleaseBuffer(room, AUDCLNT_BUFFERFLAGS_SILENT))))
            return Outcome::Lost;
        lastRendered = ::GetTickCount();
        switch (WaitFor(kWriteMs, defaultChanged)) {
            case Wake::Stop:
                return Outcome::Stopped;
            case Wake::DefaultChanged:
                if (DefaultMovedFrom(enumerator, stream.endpointId.Get())) return Outcome::Moved;
                break;
            case Wake::Timeout:
                break;
        }
    }
}

SilenceRenderer::Wake SilenceRenderer::WaitFor(DWORD ms, HANDLE defaultChanged) const {
    const HANDLE handles[2] = {m_stop.Get(), defaultChanged};
    switch (::WaitForMultipleObjects(defaultChanged ? 2 : 1, handles, FALSE, ms)) {
        case WAIT_OBJECT_0:
            return Wake::Stop;
        case WAIT_OBJECT_0 + 1:
            return Wake::DefaultChanged;
        default:
            return Wake::Timeout;
    }
}

void SilenceRenderer::Run() {
    win::ScopedComApartment com(COINIT_MULTITHREADED);
    ComPtr<IMMDeviceEnumerator> enumerator;
    if (FAILED(::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                                  reinterpret_cast<void**>(&enumerator))))
        enumerator = nullptr;
    ComPtr<DefaultEndpointWatch> watch;
    watch.Attach(new (std::nothrow) DefaultEndpointWatch);
    const bool watching = enumerator && watch && watch->Changed() &&
                          SUCCEEDED(enumerator->RegisterEndpointNotificationCallback(watch.Get()));
    const HANDLE defaultChanged = watching ? watch->Changed() : nullptr;

    // Starting counts as rendering: a helper that never gets a stream gives
    // up kGiveUpMs after its start.
    DWORD lastRendered = ::GetTickCount();
    for (;;) {
        Outcome outcome = Outcome::Lost;
        if (enumerator) {
            Stream stream;
            if (SUCCEEDED(OpenDefault(enumerator.Get(), stream)))
                outcome = Play(stream, enumerator.Get(), defaultChanged, lastRendered);
        }
        if (outcome == Outcome::Stopped) break;
        if (outcome == Outcome::Moved) continue;
        if (::GetTickCount() - lastRendered >= kGiveUpMs) {
            ::PostMessageW(m_owner, kCannotRenderMessage, 0, 0);
            break;
        }
        if (WaitFor(kRetryMs, defaultChanged) == Wake::Stop) break;
    }
    if (watching) enumerator->UnregisterEndpointNotificationCallback(watch.Get());
}
