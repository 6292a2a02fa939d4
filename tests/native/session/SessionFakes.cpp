#include "tests/native/session/SessionFakes.h"

#include <algorithm>

int SessionLog::Count(const std::string& call) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

bool FakeGraph::Start(std::int64_t& startTime) {
    m_log.Add("graph.Start");
    if (duringStart) duringStart();
    if (!startSucceeds) return false;
    std::ofstream(std::filesystem::path(*outputPath), std::ios::binary | std::ios::trunc);
    startTime = m_clock;
    return true;
}

void FakePlatform::WaitPumping(unsigned ms) {
    waitedMs += ms;
    if (m_waitsSinceStart >= 0) ++m_waitsSinceStart;
    if (duringWait) duringWait();
}

int FakePlatform::ShowMessage(const std::wstring& text, bool yesNo) {
    messages.push_back(text);
    return yesNo ? answer : 1;
}

bool FakePlatform::OpenProbe(const std::wstring& path) {
    m_log.Add("probe.Open");
    m_probed = std::filesystem::path(path);
    return probeOpens && std::filesystem::exists(m_probed);
}

std::uint64_t FakePlatform::ProbeLength() {
    std::error_code error;
    const auto size = std::filesystem::file_size(m_probed, error);
    return error ? 0 : size;
}

bool FakePlatform::WindowExists(const std::wstring& title) {
    if (title != L"Silence") return false;
    if (silenceRuns) return true;
    return m_waitsSinceStart >= 0 && m_waitsSinceStart >= silenceAppearsAfterWaits;
}

bool FakePlatform::StartHidden(const std::wstring& file) {
    m_log.Add("shell.StartHidden");
    if (file != L".\\zvsln.exe" || !shellStarts) return false;
    m_waitsSinceStart = 0;
    return true;
}

bool FakePeers::SetupOutputFile(std::wstring& name, std::wstring& path) {
    if (!nameOk) return false;
    ++recordings;
    name = L"Call " + std::to_wstring(recordings) + L".wmv";
    path = (folder / name).wstring();
    return true;
}

bool FakeGraph::NextEvent(GraphEvent& event) {
    if (events.empty()) return false;
    event = events.front();
    events.erase(events.begin());
    return true;
}
