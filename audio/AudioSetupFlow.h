#pragma once
// What the "Audio Setup" dialog does, apart from its window: which boxes are
// checked, what the two lists hold and which audio fields of the settings
// each click leaves. The dialog (AudioTestDlg.h) hands the flow its
// controls through AudioSetupView and the DirectShow and WASAPI work through
// AudioSetupSystem; native tests script both.
//
// Two ways of recording sound: the filter path ("Audio Source" "Sonark5",
// "Audio Output" "Out", "VistaAudio" 1; with the microphone box as well
// "Dual Audio" 1 and the microphone in "Audio Source1"/"Audio Input1"/
// "Audio Output1"), and the device path (a DirectShow capture device in
// "Audio Source", one of its input lines in "Audio Input", its output pin
// in "Audio Output"; "VistaAudio" and "Dual Audio" 0).

#include <optional>
#include <string>
#include <vector>

#include "settings/Settings.h"

// The instruction the dialog shows at the top (at most 1000 characters).
extern const wchar_t kAudioSetupInstruction[];

// The dialog's controls as the flow uses them. The two check boxes are not
// automatic: only the flow changes their state.
class AudioSetupView {
public:
    virtual ~AudioSetupView() = default;

    virtual bool SpeakersChecked() = 0;
    virtual void CheckSpeakers(bool checked) = 0;
    virtual void EnableSpeakers(bool enabled) = 0;
    virtual bool MicrophoneChecked() = 0;
    virtual void CheckMicrophone(bool checked) = 0;
    virtual void EnableMicrophone(bool enabled) = 0;

    // Both lists: the devices and the device's input lines.
    virtual bool ListsPresent() = 0;
    virtual void EnableLists(bool enabled) = 0;

    virtual void ClearDevices() = 0;
    virtual void AddDevice(const std::wstring& name) = 0;
    // Selects the entry with exactly that name; false (selection unchanged)
    // when there is none.
    virtual bool SelectDevice(const std::wstring& name) = 0;
    // The selected entry, none without a selection.
    virtual std::optional<std::wstring> SelectedDevice() = 0;
    // The text the device list shows (empty when nothing is chosen).
    virtual std::wstring DeviceText() = 0;

    virtual void ClearInputs() = 0;
    virtual void AddInput(const std::wstring& name) = 0;
    virtual bool SelectInput(const std::wstring& name) = 0;
    virtual std::optional<std::wstring> SelectedInput() = 0;

    // Ends the dialog with IDOK (1) or IDCANCEL (2).
    virtual void Close(int result) = 0;
};

// The system side: the capture devices, the current device's pins, the
// settings file, the recorder's message box and the endpoint checks.
class AudioSetupSystem {
public:
    virtual ~AudioSetupSystem() = default;

    virtual bool VistaOrLater() = 0;

    // The audio capture devices' names in enumeration order.
    virtual std::vector<std::wstring> ListDevices() = 0;
    // Makes the device of that name the current device; false when none binds.
    virtual bool MakeCurrentDevice(const std::wstring& name) = 0;
    // Asks the current device's capture pin for 50 ms buffers of 44100 Hz
    // 16-bit stereo.
    virtual void ConfigureCapturePin() = 0;
    // The current device's output and input pin names; none when they
    // cannot be listed.
    virtual std::optional<std::vector<std::wstring>> OutputPins() = 0;
    virtual std::vector<std::wstring> InputPins() = 0;
    // Enables the current device's input line of that name and disables the
    // others.
    virtual void EnableInputLine(const std::wstring& name) = 0;
    // Connects "Audio Source" to a file writer; sets "Audio Output" and
    // writes the settings on success.
    virtual bool ProbeAudioSource() = 0;

    virtual bool WriteSettings() = 0;
    // The recorder's box; returns kAudioSetupYes or another button.
    virtual int ShowMessage(const std::wstring& text, bool yesNo) = 0;

    // Whether the microphone of dual audio has been found and unmuted.
    virtual bool SecondSourceReady() = 0;
    virtual void SetupSecondSource(const std::wstring& name) = 0;
    // The speakers' and the microphone's format checks, in that order.
    virtual void CheckFormats() = 0;
    // The recording graph is rebuilt for the new source.
    virtual void ResetRecordingGraph() = 0;
    // Checks " Record audio" in the setup dialog when that is open.
    virtual void CheckSetupRecordAudio() = 0;
};

constexpr int kAudioSetupOk = 1;
constexpr int kAudioSetupCancel = 2;
constexpr int kAudioSetupYes = 6;

class AudioSetupFlow {
public:
    AudioSetupFlow(SettingsRecord& settings, AudioSetupView& view, AudioSetupSystem& system)
        : m_settings(settings), m_view(view), m_system(system) {}

    // The boxes from the settings, the lists filled where the device path or
    // dual audio needs them.
    void Start();
    // The speakers box and the microphone box were clicked.
    void SpeakersClicked();
    void MicrophoneClicked();
    // 1 when the lists were filled and the chosen device selected; 0 after
    // the failure's message.
    int FillSourceLists();
    // The device list's selection changed: its outputs and input lines.
    int SelectSourceDevice();
    // The input-line list's selection changed.
    void SelectInputLine();
    // The device list was dropped down: filled afresh.
    void DevicesDroppedDown();
    void Ok();
    void Cancel();

    // Set by a caller that has asked already: OK skips its "no audio"
    // question once.
    bool suppressNoSourceQuestion = false;

private:
    bool Vista() { return m_system.VistaOrLater(); }
    void Message(const std::wstring& text) { m_system.ShowMessage(text, false); }
    // OK's device-path ending: the source tested, written and the graph reset.
    void OkWithoutSpeakers();

    SettingsRecord& m_settings;
    AudioSetupView& m_view;
    AudioSetupSystem& m_system;
};
