// Building a recording's graph: the settings made ready, the profile, the
// filters of the shape the settings ask for (RecordingShape.h) and their
// connections, then the run.

#include <windows.h>

#include <control.h>
#include <strmif.h>
#include <uuids.h>

#include <cstdint>
#include <string>

#include "app/services/DiagnosticLog.h"
#include "app/services/Environment.h"
#include "app/services/ProgramExit.h"
#include "app/services/ShowMessage.h"
#include "audio/AutoSelectAudioSource.h"
#include "audio/EndpointRates.h"
#include "audio/Win32AudioUser.h"
#include "capfilter/Sonark.h"
#include "graph/AsfWriterSetup.h"
#include "graph/CaptureRegion.h"
#include "graph/FailureNames.h"
#include "graph/FilterLookup.h"
#include "graph/ProfileWriter.h"
#include "graph/RecorderLayering.h"
#include "graph/RecorderLink.h"
#include "graph/RecordingGraph.h"
#include "graph/RecordingGraphState.h"
#include "graph/RecordingOutput.h"
#include "graph/RecordingShape.h"
#include "graph/ScreenCaptureSetup.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsText.h"

namespace {

constexpr int kWmv1Codec = 4;
// OLE Automation FALSE for IVideoWindow (its header leaves the macro out).
constexpr long kOaFalse = 0;

constexpr wchar_t kSampleRateInstructions[] =
    L"\r\nWINDOWS 7 / VISTA SAMPLE RATE SETUP\r\n\r\nIn the 'Sound' window click Speakers.\r\nClick Configure and "
    L"make sure the Audio is set to Stereo.\r\nClick Properties then click Advanced and set the audio format to 16 "
    L"or 24 bit, 44100 or 48000 Hz (samples).\r\n\r\nClose and restart Telvane.";

bool Fail(const std::wstring& message) {
    ShowMessage(message);
    return false;
}

// The speakers mix at a rate the capture filter cannot take: the setup
// instructions, and the program ends. Returns only where CloseProgramWithoutAsking does.
void RefuseSampleRate(std::uint32_t rate) {
    ShowMessage(L"Audio sample rates must be 44100 or 48000 (currently your audio is set to " +
                std::to_wstring(static_cast<int>(rate)) + L")\n\nClick OK to open the setup instructions.");
    Win32AudioUser user;
    ::Sleep(1000);
    user.StartOpenFileThread(L".\\sound.bat");
    ::Sleep(1000);
    user.StartMessageThread(kSampleRateInstructions);
    CloseProgramWithoutAsking();
}

bool WriteProfile(const CaptureSize& size) {
    const int fps = ProfileFrameRate(Settings.FrameRate);
    switch (ProfileKindFor(Settings.AudioOnly, RecordingVideoOnly() ? 1 : 0)) {
        case ProfileKind::AudioOnly:
            return WriteAudioProfile(Settings.AudioBitrate);
        case ProfileKind::VideoOnly:
            return WriteVideoProfile(size.width, size.height, Settings.VideoBitrate, fps);
        case ProfileKind::AudioVideo:
            break;
    }
    return WriteAudioVideoProfile(size.width, size.height, Settings.VideoBitrate, Settings.AudioBitrate, fps);
}

void AttachToTrackedWindow() {
    HWND tracked = TrackedWindow();
    if (!tracked) return;
    const DWORD trackedThread = ::GetWindowThreadProcessId(tracked, nullptr);
    const DWORD current = ::GetCurrentThreadId();
    if (trackedThread != 0 && trackedThread != current && ::AttachThreadInput(trackedThread, current, TRUE))
        RecordingGraph().attachedThread = trackedThread;
}

ComPtr<IBaseFilter> CreateSonarkInstance() {
    ComPtr<IBaseFilter> filter;
    if (FAILED(CreateFilter(CLSID_Sonark5, &filter))) return nullptr;
    return filter;
}

// The first instance only takes the capture parameters, which the library
// keeps module-wide; a second instance goes into the graph.
bool AddSonarkFilter() {
    RecordingGraphState& state = RecordingGraph();
    ComPtr<IBaseFilter> first = CreateSonarkInstance();
    if (!first) return Fail(L"Cannot create Sonark5 audio filter (1)");
    ComPtr<ISonark> sonark;
    if (FAILED(first.As(sonark)) || !sonark ||
        FAILED(sonark->SetCaptureParams(1, Settings.Protocol, Settings.DualAudio, Settings.AudioSource1)))
        return Fail(L"Cannot setup audio capture filter");
    sonark = nullptr;
    state.graph->RemoveFilter(first.Get());
    first = nullptr;

    state.audioSource = CreateSonarkInstance();
    const HRESULT hr =
        state.audioSource ? state.graph->AddFilter(state.audioSource.Get(), L"Sonark5 Filter") : E_POINTER;
    if (FAILED(hr))
        return Fail(std::wstring(L"Cannot add audio filter (") + AddFilterFailureName(static_cast<std::uint32_t>(hr)) +
                    L")");
    return true;
}

bool AddAudioSource() {
    RecordingGraphState& state = RecordingGraph();
    switch (AudioChainFor(Env().VistaOrLater, Settings.VistaAudio)) {
        case AudioChain::Device:
            state.audioSource = AddDeviceFilter(CLSID_AudioInputDeviceCategory, Settings.AudioSource);
            if (!state.audioSource) {
                if (!AskVideoOnly()) return false;
                // The automatic choice may have named a source by now.
                state.audioSource = AddDeviceFilter(CLSID_AudioInputDeviceCategory, Settings.AudioSource);
            }
            return true;
        case AudioChain::Sonark5:
            if (!AddSonarkFilter()) return false;
            CopyText(Settings.AudioOutput, L"Out");
            return true;
        case AudioChain::None:
            break;
    }
    return true;
}

HRESULT ConnectDirect(IPin* out, IPin* in) {
    RecordingGraphState& state = RecordingGraph();
    if (!out || !in) return E_POINTER;
    IFilterGraph* const graph =
        state.filterGraph ? state.filterGraph.Get() : static_cast<IFilterGraph*>(state.graph.Get());
    return graph->ConnectDirect(out, in, nullptr);
}

bool ConnectAudio() {
    RecordingGraphState& state = RecordingGraph();
    switch (AudioChainFor(Env().VistaOrLater, Settings.VistaAudio)) {
        case AudioChain::Device: {
            if (!state.audioSource) return Fail(L"Cannot find and connect any audio source");
            const ComPtr<IPin> out = GetPinByName(state.audioSource.Get(), PINDIR_OUTPUT, Settings.AudioOutput);
            const ComPtr<IPin> in = GetPinByName(state.writer.Get(), PINDIR_INPUT, L"Audio Input 01");
            if (!out || !in || FAILED(state.graph->Connect(out.Get(), in.Get())))
                return Fail(L"Cannot connect audio to Encoder");
            return true;
        }
        case AudioChain::Sonark5: {
            const ComPtr<IPin> out = GetPinByName(state.audioSource.Get(), PINDIR_OUTPUT, L"Out");
            const ComPtr<IPin> in = GetPinByName(state.writer.Get(), PINDIR_INPUT, L"Audio Input 01");
            if (FAILED(ConnectDirect(out.Get(), in.Get())))
                return Fail(
                    L"Cannot setup audio recording. Possible reasons: \n\nyour audio system settings are not "
                    L"accepted \nall audio sources are disabled \nthe \"Auto Detect\" option is not enabled in "
                    L"Settings \n\nSee Audio Troubleshooting under Help.");
            return true;
        }
        case AudioChain::None:
            break;
    }
    return true;
}

bool ConnectVideo() {
    RecordingGraphState& state = RecordingGraph();
    const ComPtr<IPin> screen = GetPinByName(state.ScreenCaptureFilter.Get(), PINDIR_OUTPUT, L"Output");
    const ComPtr<IPin> writer = GetPinByName(state.writer.Get(), PINDIR_INPUT, L"Video Input 01");
    const ComPtr<IPin> teeIn = GetPinByName(state.tee.Get(), PINDIR_INPUT, L"Input");
    const ComPtr<IPin> teeOut = GetPinByName(state.tee.Get(), PINDIR_OUTPUT, L"Output1");
    if (Settings.SetTopWindow == 0) {
        if (FAILED(ConnectDirect(screen.Get(), writer.Get()))) return Fail(L"Cannot connect Screen to Encoder");
        return true;
    }
    if (FAILED(ConnectDirect(screen.Get(), teeIn.Get()))) return Fail(L"Cannot connect Screen to Tee");
    if (FAILED(ConnectDirect(teeOut.Get(), writer.Get()))) return Fail(L"Cannot connect encoder to Tee");
    return true;
}

// The preview branch runs with its window hidden: the recorder shows the
// region through its own preview.
void RenderHiddenPreview() {
    RecordingGraphState& state = RecordingGraph();
    const ComPtr<IPin> second = GetPinByName(state.tee.Get(), PINDIR_OUTPUT, L"Output2");
    if (second) state.graph->Render(second.Get());
    if (state.videoWindow) {
        state.videoWindow->put_AutoShow(kOaFalse);
        state.videoWindow->put_Visible(kOaFalse);
    }
}

}  // namespace

bool AskVideoOnly() {
    int answer = IDNO;
    if (Settings.AudioSource[0]) {
        answer = ShowMessage(
            L"Audio recording problem...Click YES to continue recording video only, NO to return. See Audio "
            L"Troubleshooting under Help",
            MB_YESNO);
    } else {
        if (AutoSelectAudioSource()) return true;
        answer = ShowMessage(
            L"Could not setup audio recording. Selected audio source may be disabled.\nClick YES to continue "
            L"recording video only, NO to stop recording. See Audio Troubleshooting under Help",
            MB_YESNO);
    }
    if (answer != IDYES) return false;
    ChooseVideoOnlyForThisRecording();
    return true;
}

bool AddRecordingFilters() {
    RecordingGraphState& state = RecordingGraph();
    if (!state.graph) return false;
    if (Settings.AudioOnly == 0) {
        if (!CreateScreenCaptureFilter()) return false;
        if (!ConfigureScreenCapture()) ShowMessage(L"Cannot setup screen capture filter");
    }

    const HRESULT hr = AddAsfWriter(RecordingOutputPath(), 0, state.graph.Get(), state.writer);
    AppendLog(L"\r\npASFWriter=0x%x", static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(state.writer.Get())));
    if (FAILED(hr)) return Fail(L"Cannot install ASF Writer");

    if (!RecordingVideoOnly() && !AddAudioSource()) return false;
    if (Settings.SetTopWindow == 0) return true;

    state.tee = AddDeviceFilter(CLSID_LegacyAmFilterCategory, L"MainConcept InfTee Filter");
    if (!state.tee) state.tee = AddDeviceFilter(CLSID_LegacyAmFilterCategory, L"Infinte Pin Tee Filter");
    if (!state.tee) return false;
    // A missing renderer is not fatal: the preview branch then stays unrendered.
    state.previewRenderer = AddDeviceFilter(CLSID_LegacyAmFilterCategory, L"Video Renderer");
    return true;
}

bool ConnectRecordingFilters() {
    RecordingGraphState& state = RecordingGraph();
    if (!state.graph) return false;
    if (!RecordingVideoOnly() && !ConnectAudio()) return false;
    if (Settings.AudioOnly != 0) return true;
    if (!ConnectVideo()) return false;
    if (Settings.SetTopWindow != 0) RenderHiddenPreview();
    return true;
}

bool StartRecordingGraph(std::int64_t& startTime) {
    RecordingGraphState& state = RecordingGraph();
    if (!state.graph) {
        if (FAILED(::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                      IID_IGraphBuilder, reinterpret_cast<void**>(&state.graph))) ||
            !state.graph)
            return Fail(L"Cannot create DirectShow graph");
    }
    if (FAILED(state.graph.As(state.filterGraph)) || !state.filterGraph) return Fail(L"Cannot query FilterGraph");

    const bool vistaAudio = Env().VistaOrLater && Settings.VistaAudio == 1;
    if (vistaAudio && !Settings.AudioSource[0] && !Settings.AudioOutput[0]) {
        CopyText(Settings.AudioSource, L"Sonark5");
        CopyText(Settings.AudioOutput, L"Out");
        WriteSettings();
    }
    if (!ReadSettings()) return Fail(L"Cannot read screen coordinates.");
    const CaptureSize size = NormaliseCaptureRegion(Settings);
    if (!WriteSettings()) return Fail(std::wstring(L"Cannot write to file ") + SettingsPath);
    Settings.Protocol = 1;

    // From the settings just read: the load may have corrected "VistaAudio".
    if (Env().VistaOrLater && Settings.VistaAudio == 1 && SpeakersSampleRate() > 48000u) {
        RefuseSampleRate(SpeakersSampleRate());
        return false;
    }

    VideoCodecSelector = kWmv1Codec;
    if (!WriteProfile(size)) return Fail(L"Cannot setup WMP recording");
    WriteSettings();

    if (!AddRecordingFilters()) return false;
    if (!ConnectRecordingFilters()) return false;
    if (!state.mediaControl || !state.videoWindow) return Fail(L"Cannot run graph");
    if (!RunRecordingGraph()) return false;

    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    FILETIME local{};
    ::SystemTimeToFileTime(&now, &local);
    state.RecordingStartTime = (static_cast<std::uint64_t>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
    startTime = static_cast<std::int64_t>(state.RecordingStartTime);

    // The recorder window is layered for the capture filter; a recording
    // starts with it opaque again.
    if (Settings.SetTopWindow != 0) RefreshLayeredStyle(::FindWindowW(nullptr, L"Quorra"));
    AttachToTrackedWindow();
    return true;
}
