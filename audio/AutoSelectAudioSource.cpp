#include "audio/AutoSelectAudioSource.h"

#include <windows.h>

#include <strmif.h>
#include <uuids.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/services/DiagnosticLog.h"
#include "app/services/ShowMessage.h"
#include "audio/KeywordSelection.h"
#include "framework/base/ComPtr.h"
#include "graph/DeviceNameTables.h"
#include "graph/FilterLookup.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsText.h"

namespace {

// The log shows a filter as its 32-bit address.
unsigned AddressOf(IBaseFilter* filter) { return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(filter)); }

}  // namespace

int AutoSelectAudioSource() {
    const HRESULT listed = ListCategoryDevices(CLSID_AudioInputDeviceCategory);
    AppendLog(L"\r\nnFilters=%d", DeviceNames.Count());
    if (FAILED(listed) || DeviceNames.Count() == 0) {
        ShowMessage(L"Cannot find any audio input source");
        return 0;
    }

    const std::vector<std::wstring> devices = DeviceNames.Names();
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const ComPtr<IBaseFilter> found = FindAudioInputFilter(CLSID_AudioInputDeviceCategory, devices[i]);
        AppendLog(L"\r\naudioInpDev[%d]=%ls audioFilter=0x%08x", static_cast<int>(i), devices[i].c_str(),
                  AddressOf(found.Get()));
    }

    // Only the first device is considered.
    CopyText(Settings.AudioSource, devices.front());
    const ComPtr<IBaseFilter> source =
        FindAudioInputFilter(CLSID_AudioInputDeviceCategory, std::wstring(TextOf(Settings.AudioSource)));
    if (!source) {
        ShowMessage(L"Cannot find an audio filter (name not recognized).");
        return 0;
    }

    if (FAILED(ListPinNames(source.Get(), PINDIR_OUTPUT)) || OutputPinNames.Count() == 0) {
        ShowMessage(L"No outputs found for this source");
        return 0;
    }
    CopyText(Settings.AudioOutput, OutputPinNames.Name(0));

    if (FAILED(ListPinNames(source.Get(), PINDIR_INPUT)) || InputPinNames.Count() == 0) return 0;
    AppendLog(L"nInpPin=%d", InputPinNames.Count());

    const AudioInputChoice choice = ChooseAudioInput(InputPinNames.Names(), TextOf(Settings.AudioInput));
    CopyText(Settings.AudioInput, choice.audioInput);

    const std::wstring sourceName(TextOf(Settings.AudioSource));
    const std::wstring inputName(TextOf(Settings.AudioInput));
    if (choice.confirm) {
        if (ShowMessage(AudioSelectedNotice(sourceName, inputName, true), MB_YESNO) != IDYES) return 0;
    } else {
        ShowMessage(AudioSelectedNotice(sourceName, inputName, false));
    }

    // A failed write has shown its own message; the choice stands for this
    // recording.
    WriteSettings();
    return 1;
}
