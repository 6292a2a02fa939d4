#pragma once
// Scripted stand-ins for everything the recording session talks to. The
// graph writes a real file that the tests grow; the clock moves only when a
// test moves it; every call is recorded in order.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/session/SessionSeams.h"

class SessionLog {
public:
    void Add(std::string call) { calls.push_back(std::move(call)); }
    int Count(const std::string& call) const;
    std::vector<std::string> calls;
};

class FakeGraph : public RecordingGraphControl {
public:
    FakeGraph(SessionLog& log, const std::int64_t& clock) : m_log(log), m_clock(clock) {}
    bool Exists() override { return exists; }
    bool Start(std::int64_t& startTime) override;
    void Run() override { m_log.Add("graph.Run"); }
    void Pause() override { m_log.Add("graph.Pause"); }
    std::int32_t Stop() override {
        m_log.Add("graph.Stop");
        return stopResult;
    }
    bool NextEvent(GraphEvent& event) override;
    void Reset() override { m_log.Add("graph.Reset"); }

    bool exists = true;
    bool startSucceeds = true;
    std::int32_t stopResult = 0;
    std::vector<GraphEvent> events;  // taken from the front
    // Runs inside Start, where the real build asks its questions.
    std::function<void()> duringStart;
    // The session's output path, where Start creates the (empty) file.
    const std::wstring* outputPath = nullptr;

private:
    SessionLog& m_log;
    const std::int64_t& m_clock;
};

class FakeUi : public RecorderUi {
public:
    explicit FakeUi(SessionLog& log) : m_log(log) {}
    void RepaintStatus(const std::wstring& status) override { statuses.push_back(status); }
    void SetRecordButtonText(const std::wstring& text) override { buttonText = text; }
    bool IsLargeLayout() override { return large; }
    void SetMenu(RecorderMenu menu) override { menus.push_back(menu); }
    void Restore() override { m_log.Add("ui.Restore"); }
    void Hide() override { m_log.Add("ui.Hide"); }
    void ShowInfoText(const std::wstring&) override { m_log.Add("ui.ShowInfoText"); }
    void SetTitle(const std::wstring& text) override { title = text; }
    bool RecorderRect(ScreenRect& rect) override {
        rect = recorderRect;
        return hasRecorder;
    }
    void StartTimer() override { timerRunning = true; }
    void StopTimer() override { timerRunning = false; }
    void RestartClonePreview() override { m_log.Add("ui.RestartClonePreview"); }

    std::vector<std::wstring> statuses;
    std::wstring buttonText = L"RECORD";
    std::wstring title = L"Quorra";
    std::vector<RecorderMenu> menus;
    bool large = false;
    bool hasRecorder = false;
    ScreenRect recorderRect;
    bool timerRunning = true;

private:
    SessionLog& m_log;
};

class FakePlatform : public SessionPlatform {
public:
    explicit FakePlatform(SessionLog& log) : m_log(log) {}
    void WaitPumping(unsigned ms) override;
    int ShowMessage(const std::wstring& text, bool yesNo) override;
    bool OpenProbe(const std::wstring& path) override;
    std::uint64_t ProbeLength() override;
    void CloseProbe() override { m_log.Add("probe.Close"); }
    std::int64_t MonotonicNow() override { return monotonic; }
    bool WindowExists(const std::wstring& title) override;
    bool StartHidden(const std::wstring& file) override;
    void PlaySoundFile(const std::wstring& file) override { sounds.push_back(file); }
    bool DiskFull(const std::wstring&) override { return diskFull; }

    std::int64_t clock = 130000000000000000;  // the wall clock (local time), 100-ns units: the graph's start time
    std::int64_t monotonic = 5000000000;      // the tick count, 100-ns units
    std::vector<std::wstring> messages;
    int answer = 6;  // what a Yes/No box answers
    unsigned waitedMs = 0;
    std::function<void()> duringWait;  // runs inside each pumped wait
    bool probeOpens = true;
    bool silenceRuns = true;
    bool shellStarts = true;
    int silenceAppearsAfterWaits = 0;  // waits after the start until "Silence" exists
    bool diskFull = false;
    std::vector<std::wstring> sounds;

private:
    SessionLog& m_log;
    std::filesystem::path m_probed;
    int m_waitsSinceStart = -1;
};

class FakePeers : public SessionPeers {
public:
    explicit FakePeers(SessionLog& log) : m_log(log) {}
    bool SetupOutputFile(std::wstring& name, std::wstring& path) override;
    int SetupSecondSource(const std::wstring&) override { return secondSourceOk ? 1 : 0; }
    void OpenAudioSetup(bool) override { m_log.Add("peers.OpenAudioSetup"); }
    void CloseSetupDialog() override {}
    bool MotionSearchRunning() override { return searching; }
    void ResetMotionSearch() override { m_log.Add("peers.ResetMotionSearch"); }
    void CloseMarkingWindow() override {}
    bool BackgroundActive() override { return false; }
    void EndTracking() override { m_log.Add("peers.EndTracking"); }
    void StartTracking() override { m_log.Add("peers.StartTracking"); }
    void AdoptLastClickedWindow() override {}
    void ReadSettings() override {}
    void WriteSettings() override { m_log.Add("peers.WriteSettings"); }
    void CloseProgram() override { m_log.Add("peers.CloseProgram"); }
    void RecordingBegan(const std::wstring& path, std::int64_t) override {
        m_log.Add("peers.RecordingBegan");
        journal = path;
    }
    void RecordingFinished() override {
        m_log.Add("peers.RecordingFinished");
        journal.clear();
    }
    std::wstring journal;  // the recording the note names; empty when there is none

    std::filesystem::path folder;
    int recordings = 0;
    bool nameOk = true;
    bool secondSourceOk = true;
    bool searching = false;

private:
    SessionLog& m_log;
};
