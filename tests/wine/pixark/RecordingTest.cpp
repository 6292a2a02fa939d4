// pixark.ax connected straight to the ASF writer stand-in's "Video Input 01"
// in a short video-only recording of a window of known colours; the
// recording is then read from Linux (pixark_recording_check: picture size,
// rate and duration; pixark_recording_colours: the quadrants at their
// places once the bottom-up rows are flipped).

#include <windows.h>

#include <control.h>
#include <gtest/gtest.h>
#include <uuids.h>

#include <filesystem>
#include <string>

#include "framework/win/Handles.h"
#include "graph/AsfWriterSetup.h"
#include "graph/ProfileWriter.h"
#include "graph/Win32ProfileSystem.h"
#include "settings/Settings.h"
#include "settings/SettingsText.h"
#include "tests/wine/driver/Driver.h"
#include "tests/wine/pixark/PixarkGraph.h"
#include "tests/wine/pixark/TestWindows.h"

// The recorder's message box, recorded instead of shown.
int ShowMessage(const std::wstring&, UINT) { return IDOK; }

namespace {

std::wstring Folder(const std::wstring& name) {
    const std::wstring folder = driver::ProgramFolder() + L"pixark_recording\\" + name;
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(folder), ignored);
    return folder;
}

constexpr LONGLONG kSecond = 10000000;
constexpr LONGLONG kWineStartLag = kSecond / 5;

bool RunUntil(IMediaSeeking* seeking, LONGLONG position) {
    const DWORD deadline = ::GetTickCount() + static_cast<DWORD>(2 * position / 10000);
    for (;;) {
        LONGLONG now = 0;
        if (SUCCEEDED(seeking->GetCurrentPosition(&now)) && now >= position) return true;
        if (static_cast<LONG>(::GetTickCount() - deadline) > 0) return false;
        PumpFor(10);
    }
}

class RegisteredPixark : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(RunCommand(L"regsvr32.exe /s \"" + PixarkPath() + L"\""), 0u); }
    void TearDown() override { RunCommand(L"regsvr32.exe /s /u \"" + PixarkPath() + L"\""); }
};
const auto* const kRegistered = ::testing::AddGlobalTestEnvironment(new RegisteredPixark);

TEST(PixarkRecordingTest, RecordsTheRectangleThroughTheWritersVideoInput) {
    win::ScopedComApartment com;
    Win32ProfileSystem system;
    SetProfileSystem(&system);
    CopyText(SettingsFolder, Folder(L"settings"));
    VideoCodecSelector = 4;
    ColourWindow window(200, 200, 320, 240, 0xFF000000u, true);
    ASSERT_TRUE(window);

    ASSERT_TRUE(WriteVideoProfile(320, 240, 500, 15));
    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                 reinterpret_cast<void**>(&graph)),
              S_OK);
    const std::wstring output = Folder(L"recording") + L"\\screen.wmv";
    ::DeleteFileW(output.c_str());
    ComPtr<IBaseFilter> writer;
    ASSERT_EQ(AddAsfWriter(output.c_str(), 26, graph.Get(), writer), S_OK);
    ComPtr<IPin> videoIn;
    ASSERT_EQ(writer->FindPin(L"Video Input 01", &videoIn), S_OK);

    ComPtr<IBaseFilter> capture = CreatePixark();
    ASSERT_TRUE(capture);
    ASSERT_EQ(Configure(capture.Get(), Rectangle(200, 200, 520, 440, 15, 24)), S_OK);
    ASSERT_EQ(graph->AddFilter(capture.Get(), L"Pixark BCK"), S_OK);
    ASSERT_EQ(graph->ConnectDirect(OutputPin(capture.Get()).Get(), videoIn.Get(), nullptr), S_OK);

    ComPtr<IMediaControl> control;
    ComPtr<IMediaSeeking> seeking;
    ASSERT_EQ(graph.As(control), S_OK);
    ASSERT_EQ(graph.As(seeking), S_OK);
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    ASSERT_TRUE(RunUntil(seeking.Get(), 3 * kSecond + kWineStartLag));
    ASSERT_EQ(control->Stop(), S_OK);
    LONG delivered = 0, dropped = 0;
    ASSERT_TRUE(FrameCounts(capture.Get(), delivered, dropped));
    EXPECT_GE(delivered, 40);
    EXPECT_TRUE(driver::FileExists(output));
    graph.Reset();
    writer.Reset();
    ReleaseProfileObjects();
    SetProfileSystem(nullptr);
}

}  // namespace
