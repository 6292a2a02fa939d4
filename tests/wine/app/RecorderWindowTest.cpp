// The recorder window under Wine, in both layouts: placement and the
// controls' rectangles by the scale, the status line, dragging, the record
// button around a recording (with a stand-in graph), the menu commands and
// the registered messages. Screenshots of both layouts go to bin\screenshots.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/window/WinDlgLayout.h"
#include "tests/wine/app/RecorderRun.h"

namespace {

using namespace apptest;

constexpr int kStatus = 118;
constexpr int kRecord = 1215;

std::string SettingLine(const std::string& key) {
    const std::string text = ReadAll(SettingsFile());
    const size_t at = text.find("\r\n" + key + ": ");
    if (at == std::string::npos) return std::string();
    return text.substr(at + 2, text.find("\r\n", at + 2) - at - 2);
}

RECT ClientRectOf(HWND recorder, HWND control) {
    RECT r = driver::WindowRect(control);
    ::MapWindowPoints(nullptr, recorder, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void ExpectAt(HWND recorder, int id, const ScreenRect& expected) {
    const RECT r = ClientRectOf(recorder, ::GetDlgItem(recorder, id));
    EXPECT_EQ((ScreenRect{r.left, r.top, r.right, r.bottom}), expected) << "control " << id;
}

class RecorderWindow : public ::testing::Test {
protected:
    void SetUp() override { EndLeftovers(); }
    void TearDown() override { EndLeftovers(); }

    std::wstring Status() { return driver::GetControlText(run.recorder, kStatus); }
    bool StatusBecomes(const std::wstring& text, DWORD ms = 5000) {
        return driver::PollUntil(ms, [&] { return Status() == text; });
    }
    void Start(const std::wstring& exe = L"telvane.exe") {
        run = StartRecorder(L"", exe);
        ASSERT_NE(run.recorder, nullptr);
        ASSERT_TRUE(driver::PollUntil(5000, [&] { return driver::IsVisible(run.recorder); }));
    }
    // Answers the next "Telvane Message" and returns its text.
    std::wstring Answer(int button) {
        HWND box = driver::WaitForMessageBox(L"Telvane Message", 10000, run.program.Id());
        if (!box) return L"(no box)";
        const std::wstring text = driver::MessageBoxText(box);
        driver::PressButton(box, button);
        return text;
    }

    Started run;
};

TEST_F(RecorderWindow, SmallLayoutFollowsTheScale) {
    RECT sizeAt100{};
    for (int size : {100, 150}) {
        SCOPED_TRACE(size);
        PrepareSettings({{"Size", std::to_string(size)}, {"MiniClone", "1"}, {"Position", "300,200"}});
        Start();
        EXPECT_EQ(driver::GetText(run.recorder), L"Quorra");
        EXPECT_TRUE(StatusBecomes(L"Welcome...")) << Narrow(Status());
        EXPECT_EQ(driver::GetControlText(run.recorder, kRecord), L"RECORD");

        const double scale = size / 100.0;
        RECT client{};
        ::GetClientRect(run.recorder, &client);
        const SmallLayout l = ComputeSmallLayout(client.right, client.bottom, scale);
        ExpectAt(run.recorder, 1232, l.header);
        ExpectAt(run.recorder, 1234, l.close);
        ExpectAt(run.recorder, 1236, l.minimise);
        ExpectAt(run.recorder, 311, l.settings);
        ExpectAt(run.recorder, kRecord, l.record);
        ExpectAt(run.recorder, 308, l.play);
        ExpectAt(run.recorder, 309, l.mark);
        ExpectAt(run.recorder, kStatus, l.status);

        const RECT window = driver::WindowRect(run.recorder);
        EXPECT_EQ(window.left, 300);
        EXPECT_EQ(window.top, 200);
        if (size == 100) {
            sizeAt100 = window;
            driver::SaveScreenshot(run.recorder, driver::ProgramFolder() + L"screenshots\\recorder_small.png");
        } else {
            // The window is the template's size times the scale.
            EXPECT_EQ(window.right - window.left, static_cast<int>((sizeAt100.right - sizeAt100.left) * 1.5));
            EXPECT_EQ(window.bottom - window.top, static_cast<int>((sizeAt100.bottom - sizeAt100.top) * 1.5));
        }
        EXPECT_EQ(CloseRecorder(run), 0u);
    }
}

TEST_F(RecorderWindow, APositionWithAZeroFallsBackToTheDefaultCorner) {
    PrepareSettings({{"Size", "100"}, {"MiniClone", "1"}, {"Position", "0,200"}});
    Start();
    const RECT window = driver::WindowRect(run.recorder);
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    const int taskbar = std::abs(screenHeight - std::abs(static_cast<int>(work.bottom - work.top)));
    EXPECT_EQ(window.left, ::GetSystemMetrics(SM_CXSCREEN) - (window.right - window.left) - 100);
    EXPECT_EQ(window.top, screenHeight - (window.bottom - window.top) - taskbar - 50);
    EXPECT_EQ(CloseRecorder(run), 0u);
}

TEST_F(RecorderWindow, DraggingByTheHeaderStoresThePosition) {
    PrepareSettings({{"Size", "100"}, {"MiniClone", "1"}, {"Position", "300,200"}});
    Start();
    ::PostMessageW(run.recorder, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
    ::PostMessageW(run.recorder, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, 45));
    ::PostMessageW(run.recorder, WM_LBUTTONUP, 0, MAKELPARAM(60, 45));
    EXPECT_TRUE(driver::PollUntil(5000, [&] { return SettingLine("Position") == "Position: 350,240"; }))
        << SettingLine("Position");
    const RECT window = driver::WindowRect(run.recorder);
    EXPECT_EQ(window.left, 350);
    EXPECT_EQ(window.top, 240);
    EXPECT_EQ(CloseRecorder(run), 0u);

    // The next start opens there.
    Start();
    EXPECT_EQ(driver::WindowRect(run.recorder).left, 350);
    EXPECT_EQ(CloseRecorder(run), 0u);
}

TEST_F(RecorderWindow, RecordButtonFollowsTheSession) {
    // Away from the capture region (150,170 to 800,550): no overlap warning.
    PrepareSettings({{"Size", "100"}, {"MiniClone", "1"}, {"Position", "900,700"}, {"Max File Time", "0"}});
    Start(L"telvane_fakegraph.exe");
    WaitForDeferredInit();
    ASSERT_TRUE(driver::ClickControl(run.recorder, kRecord));
    EXPECT_TRUE(driver::PollUntil(10000, [&] { return driver::GetControlText(run.recorder, kRecord) == L"STOP"; }));
    std::wstring status;
    EXPECT_TRUE(driver::PollUntil(10000, [&] {
        status = Status();
        return status.rfind(L"Recording: ", 0) == 0 && status != L"Recording: 0.00 MB" &&
               status.find(L"00:00:0") != std::wstring::npos;
    })) << Narrow(status);

    // A double click anywhere on the window toggles as the button does.
    ::PostMessageW(run.recorder, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(100, 90));
    EXPECT_TRUE(driver::PollUntil(10000, [&] { return driver::GetControlText(run.recorder, kRecord) == L"RECORD"; }));
    EXPECT_TRUE(driver::PollUntil(5000, [&] {
        status = Status();
        return status.rfind(L"Recording Stopped: ", 0) == 0 && status != L"Recording Stopped: 0.00 MB";
    })) << Narrow(status);
    EXPECT_EQ(CloseRecorder(run), 0u);
}

TEST_F(RecorderWindow, LargeLayoutMenuCommandsAndMessages) {
    PrepareSettings({{"Size", "100"}, {"MiniClone", "0"}, {"Position", "300,200"}, {"ShowVideo", "1"}});
    Start();
    EXPECT_EQ(driver::GetText(run.recorder), L"Quorra");
    EXPECT_TRUE(StatusBecomes(L"Welcome...")) << Narrow(Status());
    // Wine keeps menus per process, so the check marks cannot be read from
    // here; the settings file shows what the command did.
    driver::SaveScreenshot(run.recorder, driver::ProgramFolder() + L"screenshots\\recorder_large.png");

    ASSERT_TRUE(driver::SendMenuCommand(run.recorder, 33024));  // Show cloned video
    EXPECT_EQ(Answer(IDOK), L"showVideo=1");
    EXPECT_TRUE(driver::PollUntil(5000, [&] { return SettingLine("ShowVideo") == "ShowVideo: 0"; }));
    ASSERT_TRUE(driver::SendMenuCommand(run.recorder, 33024));
    EXPECT_EQ(Answer(IDOK), L"showVideo=0");
    EXPECT_TRUE(driver::PollUntil(5000, [&] { return SettingLine("ShowVideo") == "ShowVideo: 1"; }));

    ASSERT_TRUE(driver::SendMenuCommand(run.recorder, 33065));  // Reset markers
    EXPECT_TRUE(driver::PollUntil(5000, [&] { return SettingLine("xTop") == "xTop: 200"; }));
    EXPECT_EQ(SettingLine("yTop"), "yTop: 200");
    EXPECT_EQ(SettingLine("xBottom"), "xBottom: 800");
    EXPECT_EQ(SettingLine("yBottom"), "yBottom: 600");
    EXPECT_EQ(SettingLine("FullScreen"), "FullScreen: 0");

    ASSERT_TRUE(driver::PostRegisteredMessage(run.recorder, L"Quorra message", 1111, 1111));
    EXPECT_TRUE(StatusBecomes(L"Search stopped. No motion video detected.")) << Narrow(Status());
    EXPECT_EQ(CloseRecorder(run), 0u);
}

TEST_F(RecorderWindow, MinimisingGoesThroughTheHiddenFrame) {
    PrepareSettings({{"Size", "100"}, {"MiniClone", "1"}, {"Position", "300,200"}});
    Start();
    HWND frame = driver::FindTopWindow(L"Telvane", run.program.Id());
    ASSERT_NE(frame, nullptr);
    ::PostMessageW(run.recorder, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(driver::PollUntil(5000, [&] { return !driver::IsVisible(run.recorder) && ::IsIconic(frame); }));
    // Restoring the frame (its taskbar entry) brings the recorder back.
    ::PostMessageW(frame, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(driver::PollUntil(5000, [&] { return driver::IsVisible(run.recorder); }));
    EXPECT_EQ(CloseRecorder(run), 0u);
}

TEST_F(RecorderWindow, RestoreDefaultsAsksThenRestoresAndEnds) {
    PrepareSettings({{"Size", "125"}, {"MiniClone", "0"}, {"Position", "300,200"}});
    Start();
    ASSERT_TRUE(driver::SendMenuCommand(run.recorder, 33046));
    EXPECT_EQ(Answer(IDNO), L"Telvane will close after this\n\nContinue?");
    ::Sleep(500);
    EXPECT_TRUE(run.program.IsRunning());
    EXPECT_EQ(SettingLine("Size"), "Size: 125");

    ASSERT_TRUE(driver::SendMenuCommand(run.recorder, 33046));
    EXPECT_EQ(Answer(IDYES), L"Telvane will close after this\n\nContinue?");
    DWORD code = 0xFFFFFFFF;
    ASSERT_TRUE(run.program.WaitForExit(10000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(ReadAll(SettingsFile()), ReadAll(driver::ProductFolder() + L"settings_qr_init.ini"));
}

}  // namespace
