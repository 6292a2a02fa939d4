// The audio setup dialog's flow over a scripted dialog and system: what
// the lists hold, each box's switch between the filter and the device path,
// and every way OK ends or stays. The boxes at start and Cancel are shown
// by the dialog's Wine test.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "audio/AudioSetupFlow.h"
#include "settings/SettingsText.h"

namespace {

using Names = std::vector<std::wstring>;

class FakeView : public AudioSetupView {
public:
    bool speakers = false, microphone = false;
    bool speakersEnabled = true, microphoneEnabled = true, listsEnabled = true;
    Names devices, inputs;
    std::wstring device, input;  // the selected entries; empty: none
    int closed = 0;

    bool SpeakersChecked() override { return speakers; }
    void CheckSpeakers(bool c) override { speakers = c; }
    void EnableSpeakers(bool e) override { speakersEnabled = e; }
    bool MicrophoneChecked() override { return microphone; }
    void CheckMicrophone(bool c) override { microphone = c; }
    void EnableMicrophone(bool e) override { microphoneEnabled = e; }
    bool ListsPresent() override { return true; }
    void EnableLists(bool e) override { listsEnabled = e; }
    void ClearDevices() override { devices.clear(), device.clear(); }
    void AddDevice(const std::wstring& n) override { devices.push_back(n); }
    bool SelectDevice(const std::wstring& n) override { return Select(devices, device, n); }
    std::optional<std::wstring> SelectedDevice() override { return Optional(device); }
    std::wstring DeviceText() override { return device; }
    void ClearInputs() override { inputs.clear(), input.clear(); }
    void AddInput(const std::wstring& n) override { inputs.push_back(n); }
    bool SelectInput(const std::wstring& n) override { return Select(inputs, input, n); }
    std::optional<std::wstring> SelectedInput() override { return Optional(input); }
    void Close(int result) override { closed = result; }

private:
    static bool Select(const Names& list, std::wstring& selected, const std::wstring& name) {
        if (std::find(list.begin(), list.end(), name) == list.end()) return false;
        selected = name;
        return true;
    }
    static std::optional<std::wstring> Optional(const std::wstring& s) {
        return s.empty() ? std::nullopt : std::optional<std::wstring>(s);
    }
};

struct Device {
    bool binds = true;
    Names outputs{L"Capture"};
    Names inputs{L"Microphone", L"Line In"};
};

class FakeSystem : public AudioSetupSystem {
public:
    explicit FakeSystem(SettingsRecord& s) : settings(s) {}

    SettingsRecord& settings;
    bool vista = true;
    std::vector<std::pair<std::wstring, Device>> devices;
    int probeFailures = 0;  // this many probes fail first
    int answer = kAudioSetupYes;
    bool secondReady = false;
    std::wstring current;
    std::vector<std::string> calls;
    Names messages;
    std::wstring enabledLine;
    int writes = 0;

    bool VistaOrLater() override { return vista; }
    Names ListDevices() override {
        Names names;
        for (const auto& d : devices) names.push_back(d.first);
        return names;
    }
    bool MakeCurrentDevice(const std::wstring& name) override {
        const Device* d = Find(name);
        current = d && d->binds ? name : L"";
        return !current.empty();
    }
    void ConfigureCapturePin() override { calls.push_back("configure"); }
    std::optional<Names> OutputPins() override {
        const Device* d = Find(current);
        return d ? std::optional<Names>(d->outputs) : std::nullopt;
    }
    Names InputPins() override { return Find(current) ? Find(current)->inputs : Names{}; }
    void EnableInputLine(const std::wstring& name) override { enabledLine = name; }
    bool ProbeAudioSource() override {
        calls.push_back("probe");
        const Device* d = Find(std::wstring(TextOf(settings.AudioSource)));
        if (probeFailures > 0 || !d) return --probeFailures, false;
        CopyText(settings.AudioOutput, d->outputs.front());
        ++writes;
        return true;
    }
    bool WriteSettings() override { return ++writes, true; }
    int ShowMessage(const std::wstring& text, bool yesNo) override {
        messages.push_back(text);
        return yesNo ? answer : 1;
    }
    bool SecondSourceReady() override { return secondReady; }
    void SetupSecondSource(const std::wstring& name) override {
        calls.push_back("second " + std::string(name.begin(), name.end()));
    }
    void CheckFormats() override { calls.push_back("checks"); }
    void ResetRecordingGraph() override { calls.push_back("reset"); }
    void CheckSetupRecordAudio() override { calls.push_back("record audio box"); }

private:
    const Device* Find(const std::wstring& name) const {
        for (const auto& d : devices)
            if (d.first == name) return &d.second;
        return nullptr;
    }
};

class AudioSetup : public ::testing::Test {
protected:
    AudioSetup() {
        system.devices = {{L"USB Microphone", Device{}},
                          {L"Realtek Stereo Mix", Device{true, {L"Capture"}, {L"Microphone", L"Stereo Mix"}}}};
    }
    void Set(wchar_t (&field)[kSettingsTextCapacity], const wchar_t* text) { CopyText(field, text); }
    std::wstring Field(const wchar_t (&field)[kSettingsTextCapacity]) { return std::wstring(TextOf(field)); }
    // The eight fields the dialog decides, in one text.
    std::wstring Audio() {
        return std::to_wstring(s.VistaAudio) + L" " + std::to_wstring(s.DualAudio) + L" [" + Field(s.AudioSource) +
               L"|" + Field(s.AudioInput) + L"|" + Field(s.AudioOutput) + L"] [" + Field(s.AudioSource1) + L"|" +
               Field(s.AudioInput1) + L"|" + Field(s.AudioOutput1) + L"]";
    }
    void OnFilterPath(bool dual) {
        s.VistaAudio = 1;
        s.DualAudio = dual ? 1 : 0;
        Set(s.AudioSource, L"Sonark5");
        Set(s.AudioOutput, L"Out");
    }

    SettingsRecord s;
    FakeView view;
    FakeSystem system{s};
    AudioSetupFlow flow{s, view, system};
};

TEST_F(AudioSetup, TheInstructionIsBoundedAndOpensWithTheDeviceChoice) {
    const std::wstring text = kAudioSetupInstruction;
    EXPECT_LE(text.size(), 1000u);
    EXPECT_EQ(text.rfind(L"Select your microphone device from the Audio Recording Sources list below.\n\nThen click "
                         L"'Windows Sound' below to open the Windows 'Sound' dialog.",
                         0),
              0u);
}

TEST_F(AudioSetup, TheListsLeaveOutVirtualAndUnboundDevicesAndTakeTheLastSpeakersDevice) {
    system.devices = {{L"USB Microphone", Device{}},
                      {L"virtual-audio-capturer", Device{}},
                      {L"Stereo Mix (Realtek)", Device{}},
                      {L"Broken Stereo Mix", Device{false}},
                      {L"Wave Device", Device{true, {L"Capture"}, {L"Line In", L"Wave Out Mix"}}}};
    flow.Start();
    EXPECT_EQ(view.devices, (Names{L"USB Microphone", L"Stereo Mix (Realtek)", L"Wave Device"}));
    EXPECT_EQ(std::count(system.calls.begin(), system.calls.end(), "configure"), 3);
    // "Wave Device" matched last; its "Wave Out Mix" line is marked.
    EXPECT_EQ(view.device, L"Wave Device");
    EXPECT_EQ(view.inputs, (Names{L"Line In", L"Wave Out Mix"}));
    EXPECT_EQ(view.input, L"Wave Out Mix");
    EXPECT_EQ(Audio(), L"0 0 [Wave Device|Wave Out Mix|Capture] [||]");

    // Without a speakers device the first listed one is taken.
    system.devices.erase(system.devices.begin() + 2, system.devices.end());
    system.devices.insert(system.devices.begin(), {L"virtual-audio-capturer (2)", Device{}});
    Set(s.AudioSource, L"");
    ASSERT_EQ(flow.FillSourceLists(), 1);
    EXPECT_EQ(Audio(), L"0 0 [USB Microphone||Capture] [||]");

    // A source naming the filter or a virtual device is kept and nothing selected.
    for (const wchar_t* kept : {L"Sonark5", L"virtual-audio-capturer"}) {
        Set(s.AudioSource, kept);
        ASSERT_EQ(flow.FillSourceLists(), 1);
        EXPECT_EQ(view.device, L"") << kept;
        EXPECT_EQ(Field(s.AudioSource), kept);
    }
}

TEST_F(AudioSetup, ADeviceWithoutOutputsFailsTheFillAndStartSaysSo) {
    system.devices = {{L"Mute Device", Device{true, {}, {L"Line In"}}}};
    flow.Start();
    EXPECT_EQ(system.messages, (Names{L"No outputs found for this source", L"Cannot find or setup audio sources."}));
}

TEST_F(AudioSetup, ChoosingADeviceTakesItsOutputAndDualAudioMovesItToTheSecondSource) {
    flow.Start();
    ASSERT_EQ(Audio(), L"0 0 [Realtek Stereo Mix|Stereo Mix|Capture] [||]");
    Set(s.AudioOutput, L"Out");
    view.device = L"USB Microphone";
    ASSERT_EQ(flow.SelectSourceDevice(), 1);
    EXPECT_EQ(Audio(), L"0 0 [USB Microphone||Capture] [||]");
    EXPECT_EQ(view.inputs, (Names{L"Microphone", L"Line In"}));
    EXPECT_EQ(system.writes, 0);

    // With dual audio the device is tested and becomes the second source.
    s.DualAudio = 1;
    Set(s.AudioInput, L"Line In");
    ASSERT_EQ(flow.SelectSourceDevice(), 1);
    EXPECT_EQ(view.input, L"Line In");
    EXPECT_EQ(Audio(), L"0 1 [||] [USB Microphone|Line In|Capture]");
    EXPECT_EQ(system.writes, 2);  // the probe's write and the flow's

    // A line chosen in the list is switched on by name and stored.
    view.input = L"Microphone";
    s.DualAudio = 0;
    flow.SelectInputLine();
    EXPECT_EQ(system.enabledLine, L"Microphone");
    EXPECT_EQ(Field(s.AudioInput), L"Microphone");
    EXPECT_EQ(system.writes, 3);
}

TEST_F(AudioSetup, TheSpeakersBoxSwitchesBetweenTheFilterAndTheDevicePath) {
    OnFilterPath(false);
    flow.Start();
    ASSERT_TRUE(view.speakers);
    ASSERT_TRUE(view.devices.empty());

    flow.SpeakersClicked();
    EXPECT_FALSE(view.speakers);
    EXPECT_TRUE(view.microphone);
    EXPECT_TRUE(view.listsEnabled);
    EXPECT_EQ(view.devices.size(), 2u);
    // The filter stays named until a device is chosen.
    EXPECT_EQ(Audio(), L"0 0 [Sonark5||Out] [||]");

    view.microphone = true;
    flow.SpeakersClicked();
    EXPECT_TRUE(view.speakers);
    EXPECT_EQ(Audio(), L"1 1 [Sonark5||Out] [||]");

    // Before Vista the box only keeps the device path.
    system.vista = false;
    view.speakers = false;
    s.VistaAudio = 1;
    view.device.clear();
    flow.SpeakersClicked();
    EXPECT_TRUE(view.speakers);
    EXPECT_FALSE(view.microphone);
    EXPECT_EQ(s.VistaAudio, 0);
    EXPECT_EQ(s.DualAudio, 0);
}

TEST_F(AudioSetup, TheMicrophoneBoxTurnsDualAudioOnAndOff) {
    OnFilterPath(false);
    flow.Start();
    flow.MicrophoneClicked();
    EXPECT_TRUE(view.microphone);
    EXPECT_TRUE(view.listsEnabled);
    EXPECT_EQ(s.DualAudio, 1);
    EXPECT_EQ(view.devices.size(), 2u);

    // Unchecked beside the speakers box: the lists stay as they were.
    flow.MicrophoneClicked();
    EXPECT_FALSE(view.microphone);
    EXPECT_TRUE(view.speakers);
    EXPECT_TRUE(view.listsEnabled);

    // Unchecked alone, the speakers box comes back on and the lists grey.
    view.speakers = false;
    view.microphone = true;
    s.DualAudio = 0;
    s.VistaAudio = 0;
    flow.MicrophoneClicked();
    EXPECT_TRUE(view.speakers);
    EXPECT_FALSE(view.listsEnabled);
    EXPECT_EQ(s.VistaAudio, 1);
    EXPECT_EQ(s.DualAudio, 0);

    system.vista = false;
    view.microphone = false;
    flow.MicrophoneClicked();
    EXPECT_FALSE(view.microphone);
    EXPECT_EQ(system.messages, (Names{L"This is available on Windows Vista or higher versions"}));
}

TEST_F(AudioSetup, OkWithBothBoxesNeedsTheMicrophoneShownAndComplete) {
    const wchar_t kNoMicrophone[] =
        L"No local audio source selected (microphone). Only the remote audio (speakers) can be recorded";
    const struct {
        const wchar_t *shown, *source1, *output1;
        int dualAfter;
    } cases[] = {
        {L"Realtek Stereo Mix", L"USB Microphone", L"Capture", 1},
        {L"USB Microphone", L"USB Microphone", L"", 0},
        {L"USB Microphone", L"", L"", 0},
    };
    for (const auto& c : cases) {
        OnFilterPath(true);
        Set(s.AudioSource1, c.source1);
        Set(s.AudioOutput1, c.output1);
        view.speakers = view.microphone = true;
        view.device = c.shown;
        system.messages.clear();
        flow.Ok();
        EXPECT_EQ(system.messages, (Names{kNoMicrophone})) << c.shown << " " << c.source1 << " " << c.output1;
        EXPECT_FALSE(view.microphone);
        EXPECT_EQ(view.closed, 0);
        EXPECT_EQ(s.DualAudio, c.dualAfter);
        EXPECT_EQ(system.writes, 0);
    }
}

TEST_F(AudioSetup, OkWithDualAudioKeepsTheSecondSourceUnmutesItAndRunsTheChecks) {
    OnFilterPath(true);
    Set(s.AudioSource1, L"USB Microphone");
    Set(s.AudioInput1, L"Line In");
    Set(s.AudioOutput1, L"Capture");
    view.speakers = view.microphone = true;
    view.device = L"USB Microphone";
    flow.Ok();
    EXPECT_EQ(view.closed, kAudioSetupOk);
    EXPECT_EQ(Audio(), L"1 1 [Sonark5||Out] [USB Microphone|Line In|Capture]");
    EXPECT_EQ(system.calls, (std::vector<std::string>{"second USB Microphone", "checks"}));
    EXPECT_EQ(system.writes, 2);

    // A microphone found before is not searched again.
    system.calls.clear();
    system.secondReady = true;
    flow.Ok();
    EXPECT_EQ(system.calls, (std::vector<std::string>{"checks"}));
}

TEST_F(AudioSetup, OkOnTheDevicePathTestsTheDeviceAndResetsTheGraph) {
    flow.Start();
    view.input = L"Microphone";
    flow.Ok();
    EXPECT_EQ(view.closed, kAudioSetupOk);
    EXPECT_EQ(Audio(), L"0 0 [Realtek Stereo Mix|Microphone|Capture] [||]");
    EXPECT_EQ(system.enabledLine, L"Microphone");
    EXPECT_EQ(system.calls.back(), "reset");
    EXPECT_EQ(std::count(system.calls.begin(), system.calls.end(), "record audio box"), 1);
    EXPECT_EQ(std::count(system.calls.begin(), system.calls.end(), "checks"), 0);
    EXPECT_TRUE(system.messages.empty());

    // The microphone's names move over from a second source.
    s = SettingsRecord{};
    view = FakeView{};
    view.microphone = true;
    Set(s.AudioSource1, L"USB Microphone");
    Set(s.AudioOutput1, L"Capture");
    flow.Ok();
    EXPECT_EQ(Audio(), L"0 0 [USB Microphone||Capture] [||]");
    EXPECT_EQ(view.closed, kAudioSetupOk);
}

TEST_F(AudioSetup, OkOnTheDevicePathWithoutADeviceStaysWithItsReason) {
    const struct {
        const wchar_t *source, *output;
        int probeFailures, answer;
        const wchar_t* message;
    } cases[] = {
        {L"", L"", 0, kAudioSetupYes, L"No audio source selected for local audio"},
        {L"USB Microphone", L"", 0, kAudioSetupYes, L"No audio output selected for local audio"},
    };
    for (const auto& c : cases) {
        s = SettingsRecord{};
        view = FakeView{};
        view.microphone = true;
        Set(s.AudioSource, c.source);
        Set(s.AudioOutput, c.output);
        system.messages.clear();
        flow.Ok();
        EXPECT_EQ(system.messages, (Names{c.message}));
        EXPECT_FALSE(view.microphone);
        EXPECT_EQ(view.closed, 0);
        EXPECT_EQ(system.writes, 0);
    }

    // Neither box: asked first; No stays, Yes goes on to the device's test.
    s = SettingsRecord{};
    view = FakeView{};
    system.messages.clear();
    system.answer = 7;
    flow.Ok();
    EXPECT_EQ(system.messages, (Names{L"No audio source is selected. Audio will not be recorded.\n\nContinue?"}));
    EXPECT_EQ(view.closed, 0);

    system.answer = kAudioSetupYes;
    system.messages.clear();
    system.probeFailures = 2;
    view.devices = {L"USB Microphone"};
    view.device = L"USB Microphone";
    flow.Ok();
    EXPECT_EQ(std::count(system.calls.begin(), system.calls.end(), "probe"), 2);
    EXPECT_EQ(system.messages.back(), L"No output pin can be found for the specified audio source.");
    EXPECT_EQ(view.closed, 0);

    // A second probe that succeeds is enough; a caller that asked already
    // is not asked again.
    system.probeFailures = 1;
    system.messages.clear();
    flow.suppressNoSourceQuestion = true;
    Set(s.AudioSource, L"Sonark5");
    flow.Ok();
    EXPECT_TRUE(system.messages.empty());
    EXPECT_EQ(Audio(), L"0 0 [USB Microphone||Capture] [||]");
    EXPECT_EQ(view.closed, kAudioSetupOk);
}

}  // namespace
