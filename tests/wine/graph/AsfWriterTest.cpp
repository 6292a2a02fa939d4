// The ASF writer set-up under Wine: the profile file written and read back
// through the Windows Media runtime, the writer filter configured and added
// as "Mux", and a recording of a tone and counted frames with a pause in
// the middle, which graph_asf_writer_check then reads from Linux.

#include <windows.h>

#include <control.h>
#include <gtest/gtest.h>
#include <uuids.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/services/DiagnosticLog.h"
#include "framework/base/ComPtr.h"
#include "framework/win/Handles.h"
#include "graph/AsfWriterSetup.h"
#include "graph/FilterLookup.h"
#include "graph/ProfileWriter.h"
#include "graph/Win32ProfileSystem.h"
#include "settings/Settings.h"
#include "settings/SettingsText.h"
#include "tests/wine/driver/Driver.h"
#include "tests/wine/support/TestSources.h"

namespace {

std::vector<std::wstring> g_messages;
std::vector<std::wstring> g_log;

void KeepLog(const std::wstring& text) { g_log.push_back(text); }

bool Logged(const std::wstring& prefix) {
    for (const std::wstring& line : g_log)
        if (line.rfind(prefix, 0) == 0) return true;
    return false;
}

std::wstring Folder(const std::wstring& name) {
    const std::wstring folder = driver::ProgramFolder() + L"graph_asf\\" + name;
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(folder), ignored);
    return folder;
}

constexpr LONGLONG kSecond = 10000000;
constexpr LONGLONG kWineStartLag = kSecond / 5;

// Waits until the running graph's position reaches `position` (100-ns
// units); false when it does not within twice that time.
bool RunUntil(IMediaSeeking* seeking, LONGLONG position) {
    const DWORD deadline = ::GetTickCount() + static_cast<DWORD>(2 * position / 10000);
    for (;;) {
        LONGLONG now = 0;
        if (SUCCEEDED(seeking->GetCurrentPosition(&now)) && now >= position) return true;
        if (static_cast<LONG>(::GetTickCount() - deadline) > 0) return false;
        ::Sleep(10);
    }
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

class AsfWriterSetup : public ::testing::Test {
protected:
    void SetUp() override {
        g_messages.clear();
        g_log.clear();
        SetLogSink(KeepLog);
        SetProfileSystem(&system);
        CopyText(SettingsFolder, Folder(L"settings"));
        ::DeleteFileW(ProfileFilePath().c_str());
        VideoCodecSelector = 4;
        ASSERT_EQ(::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                     reinterpret_cast<void**>(&graph)),
                  S_OK);
    }
    void TearDown() override {
        if (graph) {
            ComPtr<IMediaControl> control;
            if (SUCCEEDED(graph.As(control))) control->Stop();
        }
        writer = nullptr;
        graph = nullptr;
        ReleaseProfileObjects();
        SetLogSink(nullptr);
        SetProfileSystem(nullptr);
    }

    ComPtr<IPin> WriterPin(const wchar_t* name) {
        ComPtr<IPin> pin;
        writer->FindPin(name, &pin);
        return pin;
    }

    win::ScopedComApartment com;
    Win32ProfileSystem system;
    ComPtr<IGraphBuilder> graph;
    ComPtr<IBaseFilter> writer;
};

}  // namespace

// The recorder's message box, recorded instead of shown.
int ShowMessage(const std::wstring& text, UINT) {
    g_messages.push_back(text);
    return IDOK;
}

namespace {

TEST_F(AsfWriterSetup, RecordsAToneAndCountedFramesWithAPause) {
    ASSERT_TRUE(WriteAudioVideoProfile(320, 240, 500, 64, 15));
    std::vector<uint8_t> profile;
    ASSERT_TRUE(driver::ReadFileBytes(ProfileFilePath(), &profile));
    EXPECT_EQ(profile.size(), 20000u);

    const std::wstring output = Folder(L"recording") + L"\\call.wmv";
    ::DeleteFileW(output.c_str());
    ASSERT_EQ(AddAsfWriter(output.c_str(), 26, graph.Get(), writer), S_OK);
    EXPECT_TRUE(g_messages.empty()) << (g_messages.empty() ? "" : Narrow(g_messages.front()));
    EXPECT_FALSE(driver::FileExists(ProfileFilePath())) << "the profile file stayed after success";
    EXPECT_TRUE(Logged(L"\r\nADD ASF WRITER OK pASFWriter=0x"));

    ComPtr<IBaseFilter> mux;
    ASSERT_EQ(graph->FindFilterByName(L"Mux", &mux), S_OK);
    EXPECT_EQ(mux.Get(), writer.Get());
    ComPtr<IFileSinkFilter> sink;
    ASSERT_EQ(writer.As(sink), S_OK);
    LPOLESTR name = nullptr;
    ASSERT_EQ(sink->GetCurFile(&name, nullptr), S_OK);
    EXPECT_EQ(std::wstring(name), output);
    ::CoTaskMemFree(name);

    ComPtr<IBaseFilter> tone = CreateToneSource(440);
    ComPtr<IBaseFilter> frames = CreateCounterSource(320, 240, 15, 24);
    ASSERT_EQ(graph->AddFilter(tone.Get(), L"Tone"), S_OK);
    ASSERT_EQ(graph->AddFilter(frames.Get(), L"Frames"), S_OK);
    ComPtr<IPin> toneOut = GetPinByName(tone.Get(), PINDIR_OUTPUT, L"Out");
    ComPtr<IPin> framesOut = GetPinByName(frames.Get(), PINDIR_OUTPUT, L"Output");
    ASSERT_TRUE(toneOut && framesOut);
    ComPtr<IPin> audioIn = WriterPin(L"Audio Input 01");
    ComPtr<IPin> videoIn = WriterPin(L"Video Input 01");
    ASSERT_TRUE(audioIn && videoIn) << "the writer has no pins of the profile's streams";
    ASSERT_EQ(graph->ConnectDirect(toneOut.Get(), audioIn.Get(), nullptr), S_OK);
    ASSERT_EQ(graph->ConnectDirect(framesOut.Get(), videoIn.Get(), nullptr), S_OK);

    // Run 3 s, pause 1 s, run 2 s, timed on the graph's own position. Wine's
    // graph counts its position from the first Run while it hands the
    // filters a start time 200 ms later, so the first stretch runs that
    // much longer (measured here; a resume has no such lag).
    ComPtr<IMediaControl> control;
    ComPtr<IMediaSeeking> seeking;
    ASSERT_EQ(graph.As(control), S_OK);
    ASSERT_EQ(graph.As(seeking), S_OK);
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    ASSERT_TRUE(RunUntil(seeking.Get(), 3 * kSecond + kWineStartLag));
    ASSERT_TRUE(SUCCEEDED(control->Pause()));
    ::Sleep(1000);
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    ASSERT_TRUE(RunUntil(seeking.Get(), 5 * kSecond + kWineStartLag));
    ASSERT_EQ(control->Stop(), S_OK);
    EXPECT_TRUE(driver::FileExists(output));
}

TEST_F(AsfWriterSetup, AFolderThatCannotTakeTheFileFailsAndKeepsTheProfile) {
    ASSERT_TRUE(WriteAudioVideoProfile(320, 240, 500, 64, 15));
    const std::wstring output = Folder(L"settings") + L"\\no such folder\\call.wmv";
    EXPECT_TRUE(FAILED(AddAsfWriter(output.c_str(), 26, graph.Get(), writer)));
    EXPECT_TRUE(driver::FileExists(ProfileFilePath())) << "the profile file must stay after a failure";
    EXPECT_TRUE(Logged(L"\r\nFailed to WMV create writer  hr=0x") ||
                Logged(L"\r\nFailed to set target filename!  hr=0x"));
    EXPECT_FALSE(Logged(L"\r\nADD ASF WRITER OK"));
}

TEST_F(AsfWriterSetup, APathLongerThanTheWriterTakesIsRefusedNotCut) {
    ASSERT_TRUE(WriteAudioProfile(64));
    const std::wstring output = L"C:\\" + std::wstring(252, L'r') + L".wmv";  // 259 characters
    ASSERT_EQ(output.size(), 259u);
    EXPECT_EQ(AddAsfWriter(output.c_str(), 26, graph.Get(), writer), S_OK) << "259 characters fit";
    writer = nullptr;
    ReleaseProfileObjects();

    ComPtr<IGraphBuilder> second;
    ASSERT_EQ(::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                 reinterpret_cast<void**>(&second)),
              S_OK);
    ASSERT_TRUE(WriteAudioProfile(64));
    const std::wstring longer = L"C:\\" + std::wstring(253, L'r') + L".wmv";
    g_messages.clear();
    EXPECT_EQ(AddAsfWriter(longer.c_str(), 26, second.Get(), writer), HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(g_messages, std::vector<std::wstring>{
                              L"Cannot record: the recording's file path is 260 characters long, and at most 259 fit"});
    EXPECT_FALSE(writer);
    ComPtr<IBaseFilter> mux;
    EXPECT_NE(second->FindFilterByName(L"Mux", &mux), S_OK) << "nothing was added";
    EXPECT_TRUE(driver::FileExists(ProfileFilePath()));
}

TEST_F(AsfWriterSetup, ProfileFileFailuresAreShownAndTheEarlierProfileIsKept) {
    ASSERT_TRUE(WriteAudioProfile(64));
    ASSERT_EQ(LoadProfileFile(ProfileFilePath().c_str()), S_OK);
    const ComPtr<IWMProfile> earlier = LoadedProfile();
    ASSERT_TRUE(earlier);
    EXPECT_TRUE(g_messages.empty());

    const struct {
        const char* what;
        std::string bytes;  // empty: no file at all
        std::vector<std::wstring> messages;
    } cases[] = {
        {"missing file", "", {L"Cannot create profile file", L"FAILED 1"}},
        {"not XML", std::string("<\0p\0r\0o\0", 8), {L"\r\nFAILED proFileManager", L"FAILED 1"}},
    };
    for (const auto& c : cases) {
        g_messages.clear();
        ::DeleteFileW(ProfileFilePath().c_str());
        if (!c.bytes.empty()) {
            ASSERT_TRUE(
                driver::WriteFileBytes(ProfileFilePath(), std::vector<uint8_t>(c.bytes.begin(), c.bytes.end())));
        }
        EXPECT_TRUE(FAILED(LoadProfileFile(ProfileFilePath().c_str()))) << c.what;
        EXPECT_EQ(g_messages, c.messages) << c.what;
        EXPECT_EQ(LoadedProfile(), earlier) << c.what;
    }
    g_messages.clear();
    EXPECT_EQ(LoadProfileFile(L""), E_POINTER);
    EXPECT_EQ(g_messages, std::vector<std::wstring>{L"Profile File is NULL"});
}

TEST_F(AsfWriterSetup, ProfileTextGoesToTheLogBeforeItIsLoaded) {
    ASSERT_TRUE(WriteVideoProfile(64, 48, 100, 10));
    ASSERT_EQ(LoadProfileFile(ProfileFilePath().c_str()), S_OK);
    EXPECT_TRUE(Logged(std::wstring(L"\r\n") + ProfileBuffer + L"\r\n"));
    EXPECT_TRUE(Logged(L"pProfile=0x"));
}

}  // namespace
