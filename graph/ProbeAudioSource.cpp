#include "graph/ProbeAudioSource.h"

#include <windows.h>

#include <uuids.h>

#include <string>

#include "app/services/DiagnosticLog.h"
#include "app/services/ShowMessage.h"
#include "graph/DeviceNameTables.h"
#include "graph/FilterLookup.h"
#include "graph/RecordingGraphState.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsText.h"

namespace {

constexpr wchar_t kWavDest[] = L"WAV Dest";

bool Fail(const std::wstring& text) {
    ShowMessage(text);
    return false;
}

}  // namespace

bool ProbeAudioSource() {
    RecordingGraphState& state = RecordingGraph();
    if (!state.graph || FAILED(state.graph.As(state.filterGraph)) || !state.filterGraph)
        return Fail(L"Cannot query FilterGraph");

    const std::wstring source(TextOf(Settings.AudioSource));
    state.audioSource = AddDeviceFilter(CLSID_AudioInputDeviceCategory, source);
    if (!state.audioSource) return Fail(L"Cannot install audio " + source + L" filter");

    state.wavDest = AddDeviceFilter(CLSID_LegacyAmFilterCategory, kWavDest);
    if (!state.wavDest) return Fail(std::wstring(L"Cannot install ") + kWavDest + L" filter");
    const ComPtr<IPin> wavInput = GetPinByName(state.wavDest.Get(), PINDIR_INPUT, L"In");

    int pinCount = 0;
    if (FAILED(CountPins(state.audioSource.Get(), &pinCount))) AppendLog(L"\r\nTOTAL PINS NOT FOUND");
    ListPinNames(state.audioSource.Get(), PINDIR_INPUT);
    if (FAILED(ListPinNames(state.audioSource.Get(), PINDIR_OUTPUT)))
        return Fail(L"Cannot find audio source pins (" + source + L")");
    if (OutputPinNames.Count() == 0) return Fail(L"Cannot find output audio source pins (" + source + L")");

    const std::wstring outputName(OutputPinNames.Name(0));
    const ComPtr<IPin> output = GetPinByName(state.audioSource.Get(), PINDIR_OUTPUT, outputName);
    CopyText(Settings.AudioOutput, outputName);
    const HRESULT hr =
        output && wavInput ? state.filterGraph->ConnectDirect(output.Get(), wavInput.Get(), nullptr) : E_POINTER;
    if (FAILED(hr)) return Fail(L"Cannot connect test Audio Source to WAV");

    CopyText(Settings.AudioOutput, outputName);
    return WriteSettings() == 1;
}
