#include "audio/AudioSetupFlow.h"

#include <string_view>

#include "audio/KeywordSelection.h"
#include "settings/SettingsText.h"

const wchar_t kAudioSetupInstruction[] =
    L"Select your microphone device from the Audio Recording Sources list below.\n\n"
    L"Then click 'Windows Sound' below to open the Windows 'Sound' dialog. There the microphone must be enabled, "
    L"not muted and the default recording device, and your speakers or headset the default playback device.\n\n"
    L"The first box records what the other party says, as your speakers play it; the second records your own "
    L"voice from the chosen microphone and input. Check both to record both sides of the call.";

namespace {

constexpr wchar_t kFilterSource[] = L"Sonark5";
constexpr wchar_t kFilterOutput[] = L"Out";

bool Contains(std::wstring_view text, std::wstring_view part) { return text.find(part) != std::wstring_view::npos; }

void Clear(wchar_t (&field)[kSettingsTextCapacity]) { field[0] = L'\0'; }

}  // namespace

void AudioSetupFlow::Start() {
    SettingsRecord& s = m_settings;
    if (Vista()) {
        const bool speakers = s.DualAudio == 1 || s.VistaAudio == 1;
        const bool microphone = s.DualAudio == 1 || s.VistaAudio != 1;
        m_view.CheckSpeakers(speakers);
        m_view.CheckMicrophone(microphone);
        m_view.EnableLists(microphone);
    } else {
        m_view.CheckMicrophone(false);
        m_view.EnableMicrophone(false);
        s.DualAudio = 0;
    }

    // On the filter path the lists are filled only for dual audio.
    bool filled = true;
    if (!(Vista() && s.VistaAudio == 1)) filled = FillSourceLists() == 1;
    if (filled) {
        m_view.CheckSpeakers(s.VistaAudio == 1);
        m_view.EnableSpeakers(s.VistaAudio == 1 || Vista());
        m_view.EnableMicrophone(Vista());
        if (s.DualAudio == 1 && Vista()) {
            m_view.EnableLists(true);
            filled = FillSourceLists() == 1;
        }
    }
    if (!filled) Message(L"Cannot find or setup audio sources.");
}

int AudioSetupFlow::FillSourceLists() {
    SettingsRecord& s = m_settings;
    m_view.EnableLists(true);
    m_view.ClearDevices();
    m_view.ClearInputs();
    if (!m_view.ListsPresent()) {
        Message(L"Cannot initiate audio setup");
        return 0;
    }

    std::optional<std::wstring> speakersCandidate;
    std::optional<std::wstring> firstListed;
    for (const std::wstring& name : m_system.ListDevices()) {
        const bool found = m_system.MakeCurrentDevice(name);
        if (!found || Contains(name, L"virtual-audio")) continue;
        if (s.DualAudio == 0 && MarkedInputPin({name})) speakersCandidate = name;
        if (!firstListed) firstListed = name;
        m_view.AddDevice(name);
        m_system.ConfigureCapturePin();
    }

    // A device that is not listed is never chosen: neither one whose name
    // marks it as a virtual device nor one that does not bind.
    const std::wstring_view source = TextOf(s.AudioSource);
    if (firstListed && !Contains(source, L"virtual-audio") && !Contains(source, L"Sonark")) {
        if (source.empty()) {
            CopyText(s.AudioSource, speakersCandidate ? *speakersCandidate : *firstListed);
            // Pin and line names without a source belong to no device.
            Clear(s.AudioOutput);
            Clear(s.AudioInput);
        }
        m_view.SelectDevice(std::wstring(TextOf(s.AudioSource)));
        if (SelectSourceDevice() == 0) return 0;
    }
    if (s.DualAudio == 1 && s.AudioSource1[0]) m_view.SelectDevice(std::wstring(TextOf(s.AudioSource1)));
    return 1;
}

int AudioSetupFlow::SelectSourceDevice() {
    SettingsRecord& s = m_settings;
    m_view.ClearInputs();
    const std::optional<std::wstring> selected = m_view.SelectedDevice();
    if (selected) {
        m_view.EnableLists(true);
        m_system.MakeCurrentDevice(*selected);
    }
    const std::optional<std::vector<std::wstring>> outputs = m_system.OutputPins();
    if (!outputs || outputs->empty()) {
        Message(L"No outputs found for this source");
        return 0;
    }
    if (selected) {
        // The chosen device records through its first output; another
        // device's pin and line names mean nothing for it.
        if (TextOf(s.AudioSource) != *selected) {
            CopyText(s.AudioOutput, outputs->front());
            Clear(s.AudioInput);
        } else if (!s.AudioOutput[0]) {
            CopyText(s.AudioOutput, outputs->front());
        }
        CopyText(s.AudioSource, *selected);
    }

    const std::vector<std::wstring> inputs = m_system.InputPins();
    for (const std::wstring& input : inputs) m_view.AddInput(input);
    std::optional<std::size_t> marked;
    if (s.DualAudio == 0) marked = MarkedInputPin(inputs);
    if (marked) {
        CopyText(s.AudioInput, inputs[*marked]);
        m_view.SelectInput(inputs[*marked]);
    } else {
        m_view.SelectInput(std::wstring(TextOf(s.AudioInput)));
    }

    if (s.DualAudio == 1 && s.AudioSource[0] && m_system.ProbeAudioSource()) {
        CopyText(s.AudioSource1, TextOf(s.AudioSource));
        if (s.AudioOutput[0]) {
            CopyText(s.AudioOutput1, TextOf(s.AudioOutput));
            CopyText(s.AudioInput1, TextOf(s.AudioInput));
        }
        Clear(s.AudioSource);
        Clear(s.AudioOutput);
        Clear(s.AudioInput);
        m_system.WriteSettings();
    }
    return 1;
}

void AudioSetupFlow::SelectInputLine() {
    const std::optional<std::wstring> selected = m_view.SelectedInput();
    if (!selected) return;
    // The line is found by its name: the list is sorted, the pins are not.
    m_system.EnableInputLine(*selected);
    CopyText(m_settings.AudioInput, *selected);
    if (!(Vista() && m_settings.VistaAudio == 1)) m_system.WriteSettings();
}

void AudioSetupFlow::DevicesDroppedDown() {
    m_view.ClearDevices();
    if (FillSourceLists() == 0) Message(L"Cannot find or setup the audio source.");
}

void AudioSetupFlow::SpeakersClicked() {
    SettingsRecord& s = m_settings;
    if (Vista() && m_view.SpeakersChecked()) {
        m_view.CheckSpeakers(false);
        m_view.CheckMicrophone(true);
        m_view.EnableLists(true);
        s.DualAudio = 0;
        s.VistaAudio = 0;
        if (m_view.DeviceText().empty()) FillSourceLists();
        return;
    }
    m_view.CheckSpeakers(true);
    if (Vista()) {
        CopyText(s.AudioSource, kFilterSource);
        CopyText(s.AudioOutput, kFilterOutput);
        s.VistaAudio = 1;
        s.DualAudio = m_view.MicrophoneChecked() ? 1 : 0;
    } else {
        m_view.CheckMicrophone(false);
        if (m_view.DeviceText().empty() && FillSourceLists() == 1) {
            s.VistaAudio = 0;
            s.DualAudio = 0;
        }
    }
}

void AudioSetupFlow::MicrophoneClicked() {
    SettingsRecord& s = m_settings;
    if (Vista() && m_view.MicrophoneChecked()) {
        m_view.CheckMicrophone(false);
        // With the speakers still checked the lists stay as they were.
        if (m_view.SpeakersChecked()) return;
        m_view.CheckSpeakers(true);
        s.VistaAudio = 1;
        s.DualAudio = 0;
        m_view.EnableLists(false);
        return;
    }
    if (!Vista() && m_view.SpeakersChecked()) {
        Message(L"This is available on Windows Vista or higher versions");
        return;
    }
    m_view.CheckMicrophone(true);
    s.DualAudio = m_view.SpeakersChecked() ? 1 : 0;
    m_view.EnableLists(true);
    FillSourceLists();
}

void AudioSetupFlow::Ok() {
    SettingsRecord& s = m_settings;
    const bool microphone = m_view.MicrophoneChecked();
    const bool speakers = m_view.SpeakersChecked();
    if (microphone && speakers) {
        const bool secondIncomplete = !s.AudioSource1[0] || !s.AudioOutput1[0];
        if (secondIncomplete || m_view.DeviceText() != TextOf(s.AudioSource1)) {
            m_view.CheckMicrophone(false);
            if (secondIncomplete) s.DualAudio = 0;
            Message(L"No local audio source selected (microphone). Only the remote audio (speakers) can be recorded");
            return;
        }
        s.DualAudio = 1;
        if (!m_system.SecondSourceReady()) m_system.SetupSecondSource(std::wstring(TextOf(s.AudioSource1)));
    } else if (microphone) {
        if (!s.AudioSource1[0] || !s.AudioOutput1[0]) {
            const wchar_t* missing = !s.AudioSource[0]   ? L"No audio source selected for local audio"
                                     : !s.AudioOutput[0] ? L"No audio output selected for local audio"
                                                         : nullptr;
            if (missing) {
                m_view.CheckMicrophone(false);
                s.DualAudio = 0;
                Message(missing);
                return;
            }
        } else {
            CopyText(s.AudioSource, TextOf(s.AudioSource1));
            CopyText(s.AudioOutput, TextOf(s.AudioOutput1));
            CopyText(s.AudioInput, TextOf(s.AudioInput1));
        }
        s.DualAudio = 0;
    } else {
        s.DualAudio = 0;
    }

    if (s.DualAudio == 0 || !Vista()) {
        Clear(s.AudioSource1);
        Clear(s.AudioOutput1);
        Clear(s.AudioInput1);
    } else {
        Clear(s.AudioSource);
        Clear(s.AudioOutput);
        Clear(s.AudioInput);
    }
    m_system.WriteSettings();

    // Before Vista the speakers box means a capture device that records
    // what is played: the device path.
    if (speakers && Vista()) {
        s.VistaAudio = 1;
        CopyText(s.AudioSource, kFilterSource);
        Clear(s.AudioInput);
        CopyText(s.AudioOutput, kFilterOutput);
        if (!m_system.WriteSettings()) return;
        m_view.Close(kAudioSetupOk);
        m_system.CheckFormats();
        return;
    }
    OkWithoutSpeakers();
}

void AudioSetupFlow::OkWithoutSpeakers() {
    SettingsRecord& s = m_settings;
    if (!Vista()) s.VistaAudio = 0;
    const bool askedAlready = suppressNoSourceQuestion;
    suppressNoSourceQuestion = false;
    if ((!s.AudioSource[0] || Contains(TextOf(s.AudioSource), kFilterSource)) && s.VistaAudio == 0 && !askedAlready &&
        m_system.ShowMessage(L"No audio source is selected. Audio will not be recorded.\n\nContinue?", true) !=
            kAudioSetupYes)
        return;

    const std::wstring shown = m_view.DeviceText();
    if (!shown.empty()) CopyText(s.AudioSource, shown);
    if (!s.AudioOutput[0] && !m_system.ProbeAudioSource() && !m_system.ProbeAudioSource()) {
        Message(L"No output pin can be found for the specified audio source.");
        return;
    }
    SelectInputLine();

    if (!s.AudioSource[0] || !s.AudioOutput[0]) return;
    m_system.CheckSetupRecordAudio();
    s.AudioOnly = 0;
    m_system.WriteSettings();
    m_system.ResetRecordingGraph();
    m_view.Close(kAudioSetupOk);
    if (Vista() && s.VistaAudio == 1) m_system.CheckFormats();
}

void AudioSetupFlow::Cancel() {
    m_view.Close(kAudioSetupCancel);
    if (Contains(TextOf(m_settings.AudioSource), kFilterSource)) {
        m_settings.VistaAudio = 1;
        m_system.WriteSettings();
    }
}
