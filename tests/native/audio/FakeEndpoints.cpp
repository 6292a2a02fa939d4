#include "tests/native/audio/FakeEndpoints.h"

#include <mutex>

#include "app/services/DiagnosticLog.h"

AudioResult ScriptedProbe::CreateEnumerator() {
    calls.push_back("CreateEnumerator");
    return createResult;
}
AudioResult ScriptedProbe::OpenDefaultEndpoint(EndpointRole r) {
    calls.push_back("OpenDefaultEndpoint");
    role = r;
    return endpointResult;
}
AudioResult ScriptedProbe::ActivateClient() {
    calls.push_back("ActivateClient");
    return activateResult;
}
AudioResult ScriptedProbe::GetMixFormat(WaveFormat& format) {
    calls.push_back("GetMixFormat");
    if (mixResult >= 0) format = mix;
    return mixResult;
}
AudioResult ScriptedProbe::IsFormatSupported(const WaveFormat& proposed, bool& hasClosest, WaveFormat& match,
                                             std::uint32_t& address) {
    calls.push_back("IsFormatSupported");
    supportedAsked = proposed;
    hasClosest = giveClosest;
    if (giveClosest) match = closest;
    address = giveClosest ? closestAddress : 0;
    return supportedResult;
}
AudioResult ScriptedProbe::Initialize(bool loop, std::int64_t bufferDuration, const WaveFormat& format) {
    calls.push_back("Initialize");
    loopback = loop;
    duration = bufferDuration;
    initialized = format;
    return initializeResult;
}
AudioResult ScriptedProbe::GetBufferSize(std::uint32_t& frames) {
    calls.push_back("GetBufferSize");
    frames = 48000;
    return bufferResult;
}
AudioResult ScriptedProbe::GetCaptureService() {
    calls.push_back("GetCaptureService");
    return serviceResult;
}
AudioResult ScriptedProbe::Start() {
    calls.push_back("Start");
    return startResult;
}
void ScriptedProbe::ReleaseAll() { calls.push_back("ReleaseAll"); }

bool ScriptedCaptureList::Open(std::uint32_t& count) {
    calls.push_back("Open");
    count = openResult ? static_cast<std::uint32_t>(endpoints.size()) : 0;
    return openResult;
}
AudioResult ScriptedCaptureList::Item(std::uint32_t i) {
    calls.push_back("Item " + std::to_string(i));
    m_current = i;
    return endpoints.at(i).itemResult;
}
AudioResult ScriptedCaptureList::GetId() {
    calls.push_back("GetId");
    return kAudioOk;
}
AudioResult ScriptedCaptureList::OpenPropertyStore() {
    calls.push_back("OpenPropertyStore");
    return endpoints.at(m_current).storeResult;
}
AudioResult ScriptedCaptureList::FriendlyName(std::wstring& name) {
    calls.push_back("FriendlyName");
    const ScriptedCaptureEndpoint& e = endpoints.at(m_current);
    if (e.nameResult >= 0) name = e.name;
    return e.nameResult;
}
AudioResult ScriptedCaptureList::ActivateVolume() {
    calls.push_back("ActivateVolume");
    const AudioResult hr = endpoints.at(m_current).volumeResult;
    if (hr >= 0) activated.push_back(m_current);
    return hr;
}
AudioResult ScriptedCaptureList::Unmute() {
    calls.push_back("Unmute");
    unmuted.push_back(m_current);
    return kAudioOk;
}
void ScriptedCaptureList::ReleaseAll() { calls.push_back("ReleaseAll"); }

int RecordingUser::ShowMessage(const std::wstring& text, bool yesNo) {
    events.push_back((yesNo ? L"ask:" : L"box:") + text);
    if (!yesNo) return 1;
    return m_next < answers.size() ? answers[m_next++] : 7;
}
void RecordingUser::OpenFile(const std::wstring& file) { events.push_back(L"open:" + file); }
void RecordingUser::WaitPumping(unsigned ms) { events.push_back(L"wait:" + std::to_wstring(ms)); }
void RecordingUser::StartOpenFileThread(const std::wstring& file) { events.push_back(L"thread-open:" + file); }
void RecordingUser::StartMessageThread(const std::wstring& text) { events.push_back(L"thread-box:" + text); }
void RecordingUser::CloseProgram() { events.push_back(L"close"); }

namespace {

std::mutex g_logLock;
std::wstring g_log;

void Collect(const std::wstring& text) {
    std::lock_guard<std::mutex> lock(g_logLock);
    g_log += text;
}

}  // namespace

LogCapture::LogCapture() {
    {
        std::lock_guard<std::mutex> lock(g_logLock);
        g_log.clear();
    }
    SetLogSink(&Collect);
}
LogCapture::~LogCapture() { SetLogSink(nullptr); }
std::wstring LogCapture::Text() const {
    std::lock_guard<std::mutex> lock(g_logLock);
    return g_log;
}

WaveFormat FloatMix(std::uint16_t channels, std::uint32_t rate) {
    WaveFormat f;
    f.formatTag = 0xFFFE;
    f.channels = channels;
    f.samplesPerSec = rate;
    f.bitsPerSample = 32;
    f.blockAlign = static_cast<std::uint16_t>(channels * 4);
    f.avgBytesPerSec = f.blockAlign * rate;
    f.cbSize = 22;
    return f;
}
