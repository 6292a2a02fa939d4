#include "winetest/dshowfilters/WasapiCapture.h"

#include <mmreg.h>

#include <cstring>

namespace {

// The extensible format's sub-types for PCM and float (mingw ships their
// definitions in no import library).
constexpr GUID kSubtypePcm = {0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
constexpr GUID kSubtypeFloat = {0x00000003, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// One second of endpoint buffer: the worker reads every few milliseconds.
constexpr REFERENCE_TIME kBufferDuration = 10000000;

bool Describe(const WAVEFORMATEX& wfx, PcmSourceFormat& out) {
    WORD tag = wfx.wFormatTag;
    if (tag == WAVE_FORMAT_EXTENSIBLE && wfx.cbSize >= sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX)) {
        const auto& ext = reinterpret_cast<const WAVEFORMATEXTENSIBLE&>(wfx);
        if (ext.SubFormat == kSubtypePcm)
            tag = WAVE_FORMAT_PCM;
        else if (ext.SubFormat == kSubtypeFloat)
            tag = WAVE_FORMAT_IEEE_FLOAT;
        else
            return false;
    }
    if (tag == WAVE_FORMAT_IEEE_FLOAT && wfx.wBitsPerSample == 32)
        out.sample = PcmSourceFormat::Sample::Float32;
    else if (tag == WAVE_FORMAT_PCM && wfx.wBitsPerSample == 16)
        out.sample = PcmSourceFormat::Sample::Int16;
    else if (tag == WAVE_FORMAT_PCM && wfx.wBitsPerSample == 24)
        out.sample = PcmSourceFormat::Sample::Int24;
    else if (tag == WAVE_FORMAT_PCM && wfx.wBitsPerSample == 32)
        out.sample = PcmSourceFormat::Sample::Int32;
    else
        return false;
    out.rate = wfx.nSamplesPerSec;
    out.channels = wfx.nChannels;
    out.bytesPerFrame = wfx.nBlockAlign;
    return true;
}

}  // namespace

HRESULT WasapiCapture::InitializeClient(const WAVEFORMATEX& format) {
    return m_client->Initialize(AUDCLNT_SHAREMODE_SHARED, AUDCLNT_STREAMFLAGS_EVENTCALLBACK, kBufferDuration, 0,
                                &format, nullptr);
}

HRESULT WasapiCapture::Open(const WAVEFORMATEX& format) {
    Close();
    m_target = format;
    m_target.cbSize = 0;
    ComPtr<IMMDeviceEnumerator> enumerator;
    HRESULT hr = ::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER,
                                    __uuidof(IMMDeviceEnumerator), reinterpret_cast<void**>(&enumerator));
    if (FAILED(hr)) return hr;
    ComPtr<IMMDevice> device;
    if (FAILED(hr = enumerator->GetDefaultAudioEndpoint(eCapture, eConsole, &device))) return hr;
    if (FAILED(hr = device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, reinterpret_cast<void**>(&m_client))))
        return hr;

    // Ours first; an endpoint that refuses it gets its own mix format.
    m_converting = false;
    hr = InitializeClient(m_target);
    if (FAILED(hr)) {
        win::CoTaskMemPtr<WAVEFORMATEX> mix;
        if (FAILED(hr = m_client->GetMixFormat(mix.Put()))) return hr;
        PcmSourceFormat source;
        if (!Describe(*mix.Get(), source)) return AUDCLNT_E_UNSUPPORTED_FORMAT;
        if (!m_converter.Configure(source, m_target.nSamplesPerSec, m_target.nChannels))
            return AUDCLNT_E_UNSUPPORTED_FORMAT;
        // A client whose Initialize failed cannot be initialised again.
        m_client = nullptr;
        if (FAILED(hr = device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr,
                                         reinterpret_cast<void**>(&m_client))))
            return hr;
        if (FAILED(hr = InitializeClient(*mix.Get()))) return hr;
        m_sourceFrameBytes = mix->nBlockAlign;
        m_converting = true;
    } else {
        m_sourceFrameBytes = m_target.nBlockAlign;
    }
    m_event.Reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!m_event) return HRESULT_FROM_WIN32(::GetLastError());
    if (FAILED(hr = m_client->SetEventHandle(m_event.Get()))) return hr;
    return m_client->GetService(__uuidof(IAudioCaptureClient), reinterpret_cast<void**>(&m_capture));
}

HRESULT WasapiCapture::Start() { return m_client ? m_client->Start() : E_UNEXPECTED; }

void WasapiCapture::Close() {
    if (m_client) m_client->Stop();
    m_capture = nullptr;
    m_client = nullptr;
    m_event.Reset();
}

bool WasapiCapture::Wait(DWORD timeoutMs) {
    return m_event && ::WaitForSingleObject(m_event.Get(), timeoutMs) == WAIT_OBJECT_0;
}

HRESULT WasapiCapture::Read(std::vector<uint8_t>& out) {
    if (!m_capture) return E_UNEXPECTED;
    for (;;) {
        UINT32 packet = 0;
        HRESULT hr = m_capture->GetNextPacketSize(&packet);
        if (FAILED(hr)) return hr;
        if (packet == 0) return S_OK;
        BYTE* data = nullptr;
        UINT32 frames = 0;
        DWORD flags = 0;
        if (FAILED(hr = m_capture->GetBuffer(&data, &frames, &flags, nullptr, nullptr))) return hr;
        const bool silent = (flags & AUDCLNT_BUFFERFLAGS_SILENT) != 0;
        try {
            if (m_converting) {
                m_converted.clear();
                if (silent)
                    m_converter.ConvertSilence(frames, m_converted);
                else
                    m_converter.Convert(data, frames, m_converted);
                const auto* bytes = reinterpret_cast<const uint8_t*>(m_converted.data());
                out.insert(out.end(), bytes, bytes + m_converted.size() * sizeof(int16_t));
            } else {
                size_t bytes = static_cast<size_t>(frames) * m_sourceFrameBytes;
                if (silent)
                    out.insert(out.end(), bytes, 0);
                else
                    out.insert(out.end(), data, data + bytes);
            }
        } catch (...) {
            m_capture->ReleaseBuffer(frames);
            return E_OUTOFMEMORY;
        }
        if (FAILED(hr = m_capture->ReleaseBuffer(frames))) return hr;
    }
}
