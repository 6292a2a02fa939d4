#include "audio/Win32AudioSetupSystem.h"

#include <mmreg.h>
#include <uuids.h>

#include "app/services/DiagnosticLog.h"
#include "app/services/Environment.h"
#include "app/services/ShowMessage.h"
#include "audio/EndpointFormats.h"
#include "audio/Win32CaptureEndpoints.h"
#include "graph/DeviceNameTables.h"
#include "graph/FilterLookup.h"
#include "graph/ProbeAudioSource.h"
#include "graph/RecordingGraph.h"
#include "settings/SettingsFile.h"

namespace {

// 50 ms of 44100 Hz 16-bit stereo.
constexpr long kBytesPerSecond = 176400;
constexpr long kBufferBytes = 8820;
constexpr long kBufferCount = 6;

// A media type from GetFormat, freed as the caller must.
void DeleteFormat(AM_MEDIA_TYPE* type) {
    if (!type) return;
    ::CoTaskMemFree(type->pbFormat);
    if (type->pUnk) type->pUnk->Release();
    ::CoTaskMemFree(type);
}

void LogCurrentFormat(IAMStreamConfig* config) {
    AM_MEDIA_TYPE* current = nullptr;
    if (FAILED(config->GetFormat(&current)) || !current) return;
    if (current->pbFormat && current->cbFormat >= sizeof(WAVEFORMATEX)) {
        const auto* wave = reinterpret_cast<const WAVEFORMATEX*>(current->pbFormat);
        AppendLog(
            L"\r\nCURRENT\r\nnnChannels=%d\r\nnFrequency=%d\r\nlBytesPerSecond=%u\r\nwBitsPerSample=%u\r\nnBlockAlign="
            L"%u\r\n",
            wave->nChannels, static_cast<int>(wave->nSamplesPerSec), static_cast<unsigned>(wave->nAvgBytesPerSec),
            static_cast<unsigned>(wave->wBitsPerSample), static_cast<unsigned>(wave->nBlockAlign));
    }
    DeleteFormat(current);
}

}  // namespace

bool Win32AudioSetupSystem::VistaOrLater() { return Env().VistaOrLater; }

std::vector<std::wstring> Win32AudioSetupSystem::ListDevices() {
    if (FAILED(ListCategoryDevices(CLSID_AudioInputDeviceCategory))) return {};
    return DeviceNames.Names();
}

bool Win32AudioSetupSystem::MakeCurrentDevice(const std::wstring& name) {
    m_current = FindAudioInputFilter(CLSID_AudioInputDeviceCategory, name);
    return m_current != nullptr;
}

void Win32AudioSetupSystem::ConfigureCapturePin() {
    AppendLog(L"\r\nlBytesPerSecond=%u\r\nlBufferSize=%u", static_cast<unsigned>(kBytesPerSecond),
              static_cast<unsigned>(kBufferBytes));
    ComPtr<IPin> pin;
    if (FAILED(GetNthPin(m_current.Get(), PINDIR_OUTPUT, 0, &pin)) || !pin) return;
    ComPtr<IAMBufferNegotiation> negotiation;
    if (FAILED(pin.As(negotiation)) || !negotiation) {
        ::ShowMessage(L"i=0 IID_IAMBufferNegotiation FAILED");
        return;
    }
    ALLOCATOR_PROPERTIES properties{kBufferCount, kBufferBytes, 4, 0};
    negotiation->SuggestAllocatorProperties(&properties);

    ComPtr<IAMStreamConfig> config;
    if (FAILED(pin.As(config)) || !config) return;
    LogCurrentFormat(config.Get());
    WAVEFORMATEX wave{};
    wave.wFormatTag = WAVE_FORMAT_PCM;
    wave.nChannels = 2;
    wave.nSamplesPerSec = 44100;
    wave.wBitsPerSample = 16;
    wave.nBlockAlign = 4;
    wave.nAvgBytesPerSec = kBytesPerSecond;
    AM_MEDIA_TYPE type{};
    type.majortype = MEDIATYPE_Audio;
    type.subtype = MEDIASUBTYPE_PCM;
    type.bFixedSizeSamples = TRUE;
    type.lSampleSize = wave.nBlockAlign;
    type.formattype = FORMAT_WaveFormatEx;
    type.cbFormat = sizeof(wave);
    type.pbFormat = reinterpret_cast<BYTE*>(&wave);
    const HRESULT hr = config->SetFormat(&type);
    if (FAILED(hr)) AppendLog(L"\r\nSetFormat FAILED hr=0x%08x", static_cast<unsigned>(hr));
}

std::optional<std::vector<std::wstring>> Win32AudioSetupSystem::OutputPins() {
    if (FAILED(ListPinNames(m_current.Get(), PINDIR_OUTPUT))) return std::nullopt;
    return OutputPinNames.Names();
}

std::vector<std::wstring> Win32AudioSetupSystem::InputPins() {
    ListPinNames(m_current.Get(), PINDIR_INPUT);
    return InputPinNames.Names();
}

void Win32AudioSetupSystem::EnableInputLine(const std::wstring& name) {
    bool enabled = false;
    for (int i = 0;; ++i) {
        ComPtr<IPin> pin;
        if (FAILED(GetNthPin(m_current.Get(), PINDIR_INPUT, i, &pin)) || !pin) break;
        ComPtr<IAMAudioInputMixer> mixer;
        // The SDK headers give this interface no __uuidof.
        if (FAILED(pin->QueryInterface(IID_IAMAudioInputMixer, reinterpret_cast<void**>(&mixer))) || !mixer) continue;
        PIN_INFO info{};
        std::wstring pinName;
        if (SUCCEEDED(pin->QueryPinInfo(&info))) {
            pinName = info.achName;
            if (info.pFilter) info.pFilter->Release();
        }
        // Only the first line of that name: two lines are never both on.
        const bool chosen = !enabled && pinName == name;
        enabled = enabled || chosen;
        mixer->put_Enable(chosen ? TRUE : FALSE);
    }
}

bool Win32AudioSetupSystem::ProbeAudioSource() { return ::ProbeAudioSource(); }

bool Win32AudioSetupSystem::WriteSettings() { return ::WriteSettings() == 1; }

int Win32AudioSetupSystem::ShowMessage(const std::wstring& text, bool yesNo) {
    return ::ShowMessage(text, yesNo ? MB_YESNO : MB_OK);
}

bool Win32AudioSetupSystem::SecondSourceReady() { return SecondSourceVolume() != nullptr; }

void Win32AudioSetupSystem::SetupSecondSource(const std::wstring& name) { ::SetupSecondSource(name.c_str()); }

void Win32AudioSetupSystem::CheckFormats() {
    CheckSpeakersFormat();
    CheckMicrophoneFormat();
}

void Win32AudioSetupSystem::ResetRecordingGraph() {
    ::ResetRecordingGraph();
    RecreateGraphInterfaces();
}

void Win32AudioSetupSystem::CheckSetupRecordAudio() {
    if (m_checkSetupRecordAudio) m_checkSetupRecordAudio();
}
