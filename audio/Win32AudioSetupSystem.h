#pragma once
// The audio setup dialog's system side on Windows: the DirectShow audio
// capture devices through the graph's lookups, the current device's pins
// and mixer lines, the settings file, the recorder's message box and the
// endpoint checks of EndpointFormats.h. GUI thread only.

#include <windows.h>

#include <strmif.h>

#include <functional>

#include "audio/AudioSetupFlow.h"
#include "framework/base/ComPtr.h"

class Win32AudioSetupSystem : public AudioSetupSystem {
public:
    // checkSetupRecordAudio: checks " Record audio" in the setup dialog when
    // it is open (empty: nothing to check).
    explicit Win32AudioSetupSystem(std::function<void()> checkSetupRecordAudio = {})
        : m_checkSetupRecordAudio(std::move(checkSetupRecordAudio)) {}

    bool VistaOrLater() override;
    std::vector<std::wstring> ListDevices() override;
    bool MakeCurrentDevice(const std::wstring& name) override;
    void ConfigureCapturePin() override;
    std::optional<std::vector<std::wstring>> OutputPins() override;
    std::vector<std::wstring> InputPins() override;
    void EnableInputLine(const std::wstring& name) override;
    bool ProbeAudioSource() override;
    bool WriteSettings() override;
    int ShowMessage(const std::wstring& text, bool yesNo) override;
    bool SecondSourceReady() override;
    void SetupSecondSource(const std::wstring& name) override;
    void CheckFormats() override;
    void ResetRecordingGraph() override;
    void CheckSetupRecordAudio() override;

private:
    // The device most recently found by name.
    ComPtr<IBaseFilter> m_current;
    std::function<void()> m_checkSetupRecordAudio;
};
