#include "app/session/RecorderSession.h"

// windows.h first: mmsystem.h relies on its types.
#include <windows.h>

#include <mmsystem.h>
#include <shellapi.h>

#include "app/DeferredInit.h"
#include "app/services/EnvironmentProbes.h"
#include "app/services/ShowMessage.h"
#include "app/session/InterruptedRecording.h"
#include "app/session/OutputNaming.h"
#include "app/tracking/Tracking.h"
#include "app/window/WinDlg.h"
#include "audio/AudioSetup.h"
#include "audio/EndpointFormats.h"
#include "framework/win/Handles.h"
#include "graph/ClonePreview.h"
#include "graph/RecordingGraph.h"
#include "region/MarkWindow.h"
#include "region/MotionSearch.h"
#include "region/RecorderLink.h"
#include "settings/HotkeyText.h"
#include "settings/SettingsFile.h"
#include "settings/SetupDlg.h"

namespace {

// Less room than this on the output's disk is a full disk: the writer cannot
// add a packet.
constexpr ULONGLONG kDiskFullBytes = 1024 * 1024;

class Graph final : public RecordingGraphControl {
public:
    bool Exists() override { return RecordingGraphExists(); }
    bool Start(std::int64_t& startTime) override {
        if (!StartRecordingGraph(startTime)) return false;
        if (WinDlg* w = RecorderWindow()) NotifyOfRecordingGraphEvents(w->GetSafeHwnd(), kGraphNoticeMessage);
        return true;
    }
    void Run() override { RunRecordingGraph(); }
    void Pause() override { PauseRecordingGraph(); }
    std::int32_t Stop() override { return static_cast<std::int32_t>(StopRecordingGraph()); }
    bool NextEvent(GraphEvent& event) override {
        long code = 0;
        LONG_PTR param1 = 0, param2 = 0;
        if (!NextRecordingGraphEvent(code, param1, param2)) return false;
        event = GraphEvent{code, static_cast<std::int32_t>(param1), static_cast<std::int32_t>(param2)};
        return true;
    }
    void Reset() override { ResetRecordingGraph(); }
};

class Ui final : public RecorderUi {
public:
    void RepaintStatus(const std::wstring& status) override {
        if (WinDlg* w = RecorderWindow()) w->RepaintStatus(status);
    }
    void SetRecordButtonText(const std::wstring& text) override {
        if (WinDlg* w = RecorderWindow()) w->SetRecordButtonText(text);
    }
    bool IsLargeLayout() override {
        WinDlg* w = RecorderWindow();
        return w && w->IsLargeLayout();
    }
    void SetMenu(RecorderMenu menu) override {
        if (WinDlg* w = RecorderWindow()) w->SetRecorderMenu(menu);
    }
    void Restore() override {
        if (WinDlg* w = RecorderWindow()) w->ShowWindow(SW_RESTORE);
    }
    void Hide() override {
        if (WinDlg* w = RecorderWindow()) w->ShowWindow(SW_HIDE);
    }
    void ShowInfoText(const std::wstring& text) override {
        if (WinDlg* w = RecorderWindow()) w->ShowInfoText(text);
    }
    void SetTitle(const std::wstring& title) override {
        if (WinDlg* w = RecorderWindow()) w->SetWindowText(title);
    }
    bool RecorderRect(ScreenRect& rect) override {
        HWND recorder = ::FindWindowW(nullptr, L"Quorra");
        RECT r{};
        if (!recorder || !::GetWindowRect(recorder, &r)) return false;
        rect = ScreenRect{r.left, r.top, r.right, r.bottom};
        return true;
    }
    void StartTimer() override {
        if (WinDlg* w = RecorderWindow()) w->StartRecorderTimer();
    }
    void StopTimer() override {
        if (WinDlg* w = RecorderWindow()) w->StopRecorderTimer();
    }
    void RestartClonePreview() override { BuildClonePreview(); }
};

class Platform final : public SessionPlatform {
public:
    void WaitPumping(unsigned ms) override { ::WaitPumping(ms); }
    int ShowMessage(const std::wstring& text, bool yesNo) override {
        return ::ShowMessage(text, yesNo ? MB_YESNO : MB_OK);
    }
    bool OpenProbe(const std::wstring& path) override {
        // Read-only, and sharing everything, so the writer is never disturbed.
        m_probe.Reset(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return m_probe.IsValid();
    }
    std::uint64_t ProbeLength() override {
        LARGE_INTEGER size{};
        return ::GetFileSizeEx(m_probe.Get(), &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
    }
    void CloseProbe() override { m_probe.Reset(); }
    bool DiskFull(const std::wstring& path) override {
        const size_t slash = path.find_last_of(L"\\/");
        const std::wstring folder = slash == std::wstring::npos ? path : path.substr(0, slash + 1);
        ULARGE_INTEGER available{};
        return ::GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr) &&
               available.QuadPart < kDiskFullBytes;
    }
    std::int64_t MonotonicNow() override { return static_cast<std::int64_t>(::GetTickCount64()) * 10000; }
    bool WindowExists(const std::wstring& title) override { return ::FindWindowW(nullptr, title.c_str()) != nullptr; }
    bool StartHidden(const std::wstring& file) override {
        const HINSTANCE result = ::ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_HIDE);
        return reinterpret_cast<INT_PTR>(result) > 32;
    }
    void PlaySoundFile(const std::wstring& file) override {
        ::PlaySoundW(file.c_str(), nullptr, SND_ASYNC | SND_FILENAME | SND_NODEFAULT);
    }

private:
    win::Handle m_probe;
};

class Peers final : public SessionPeers {
public:
    bool SetupOutputFile(std::wstring& name, std::wstring& path) override {
        if (!::SetupOutputFile(TrackedTitleText(), ConversationTitleText())) return false;
        name = OutputName;
        path = OutputPath;
        return true;
    }
    int SetupSecondSource(const std::wstring& name) override { return ::SetupSecondSource(name.c_str()); }
    void OpenAudioSetup(bool required) override { ::OpenAudioSetup(required, RecorderWindow()); }
    void CloseSetupDialog() override {
        if (HWND setup = SetupDialogWindow()) ::SendMessageW(setup, WM_CLOSE, 0, 0);
    }
    bool MotionSearchRunning() override { return ::MotionSearchRunning(); }
    void ResetMotionSearch() override { ::ResetMotionSearch(); }
    void CloseMarkingWindow() override { ::CloseMarkingWindow(); }
    bool BackgroundActive() override { return ::BackgroundActive(); }
    void EndTracking() override { EndTrackingThread(); }
    void StartTracking() override { ::StartTracking(); }
    void AdoptLastClickedWindow() override { ::AdoptLastClickedWindow(); }
    void ReadSettings() override { ::ReadSettings(); }
    void WriteSettings() override { ::WriteSettings(); }
    void CloseProgram() override { ::CloseProgram(); }
    void RecordingBegan(const std::wstring& path, std::int64_t startTime) override {
        WriteRecordingJournal(path, startTime);
    }
    void RecordingFinished() override { RemoveRecordingJournal(); }
};

std::wstring DisplayText(const wchar_t* hotkey) {
    std::wstring display;
    HotkeyDisplayText(hotkey, display);
    return display;
}

}  // namespace

RecordingSession& TheSession() {
    static Graph graph;
    static Ui ui;
    static Platform platform;
    static Peers peers;
    static RecordingSession session(graph, ui, platform, peers);
    static const bool wired = (session.SetHotkeyDisplayText(&DisplayText), true);
    (void)wired;
    return session;
}

// What the video region detection asks of the session.
void ShowRecorderStatus(const std::wstring& text) { TheSession().ShowStatus(text); }

void RequestRecordingStart() { TheSession().State().StartRequested = true; }
