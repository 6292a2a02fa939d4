// The manual marking window "Size me, Move me" of the real recorder under
// Wine: "MARK" opens it on the capture region, layered at 150 with its
// three buttons and the picture; moving it moves the marker rectangle (as
// the developer console's log shows it) and leaves the capture region
// alone; sizing it takes the region at once (the status line shows it, the
// file is left as it was); "Accept" and a click on the window write the full
// window rectangle; "Retry" writes nothing and starts a search; "Record"
// records the marked region at the next tick (the recording is copied to
// tests\marking\marked.wmv for marking_recording_check); a thousand
// openings leave no GDI object and no window behind.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "tests/wine/app/RecorderRun.h"
#include "tests/wine/driver/ThreadWindow.h"
#include "tests/wine/fakecall/Programs.h"
#include "tests/wine/marking/RemoteCounts.h"

namespace {

using namespace apptest;

constexpr wchar_t kTitle[] = L"Size me, Move me";
constexpr int kStatus = 118;
constexpr int kRecord = 1215;
constexpr int kMarkButton = 309;
constexpr int kMarkCommand = 32955;
constexpr int kGetVideoCommand = 33016;
constexpr int kRestoreDefaultsCommand = 33046;
constexpr int kSettingsButton = 311;
constexpr int kLogControl = 12345;
constexpr int kPicture = 301;
constexpr int kRecordButton = 302;
constexpr int kRetryButton = 303;
constexpr int kAcceptButton = 304;

// The region the recorder starts with.
constexpr RECT kStartRegion{200, 150, 600, 450};

std::string SettingLine(const std::string& key) {
    const std::string text = ReadAll(SettingsFile());
    const size_t at = text.find("\r\n" + key + ": ");
    if (at == std::string::npos) return std::string();
    return text.substr(at + 2, text.find("\r\n", at + 2) - at - 2);
}

std::string FileRegion() {
    return SettingLine("xTop") + "," + SettingLine("yTop") + "," + SettingLine("xBottom") + "," +
           SettingLine("yBottom");
}

std::string RegionLines(const RECT& r) {
    return "xTop: " + std::to_string(r.left) + ",yTop: " + std::to_string(r.top) +
           ",xBottom: " + std::to_string(r.right) + ",yBottom: " + std::to_string(r.bottom);
}

std::wstring RectText(const RECT& r) {
    return std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," + std::to_wstring(r.right) + L"," +
           std::to_wstring(r.bottom);
}

std::string Text(const RECT& r) { return Narrow(RectText(r)); }

// A control's rectangle in its parent's client coordinates.
RECT InParent(HWND parent, int id) {
    RECT r = driver::WindowRect(::GetDlgItem(parent, id));
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

size_t Occurrences(const std::wstring& text, const std::wstring& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::wstring::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

// A solid-coloured window of the test, painted under the region that is
// then marked and recorded.
class ColourPatch {
public:
    ColourPatch(const RECT& r, COLORREF colour) {
        m_window.Open([this, r, colour] {
            m_brush.Reset(::CreateSolidBrush(colour));
            WNDCLASSW wc{};
            wc.lpfnWndProc = ::DefWindowProcW;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.hbrBackground = m_brush.Get();
            wc.lpszClassName = L"MarkingColourPatch";
            ::RegisterClassW(&wc);
            return ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"Colour patch",
                                     WS_POPUP | WS_VISIBLE, r.left, r.top, r.right - r.left, r.bottom - r.top, nullptr,
                                     nullptr, wc.hInstance, nullptr);
        });
    }
    HWND Window() const { return m_window.Window(); }

private:
    win::Brush m_brush;  // outlives the window: declared before it
    driver::ThreadWindow m_window;
};

class Marking : public ::testing::Test {
protected:
    void SetUp() override { EndLeftovers(); }
    void TearDown() override {
        if (run.program) CloseRecorder(run);
        EndLeftovers();
    }

    // The recorder away from the region, following the marked region (both
    // "AutoMark" lines 0), no full screen, no cursor in the picture.
    void Prepare(const std::map<std::string, std::string>& more = {}) {
        std::map<std::string, std::string> values{{"Size", "100"},
                                                  {"MiniClone", "1"},
                                                  {"Position", "900,700"},
                                                  {"Max File Time", "0"},
                                                  {"HideWindow", "0"},
                                                  {"FullScreen", "0"},
                                                  {"ShowVideo", "0"},
                                                  {"Cursor", "0"},
                                                  {"xTop", std::to_string(kStartRegion.left)},
                                                  {"yTop", std::to_string(kStartRegion.top)},
                                                  {"xBottom", std::to_string(kStartRegion.right)},
                                                  {"yBottom", std::to_string(kStartRegion.bottom)}};
        for (const auto& [key, value] : more) values[key] = value;
        PrepareSettings(values);
        std::string text = ReadAll(SettingsFile());
        for (size_t at = text.find("\r\nAutoMark: 1"); at != std::string::npos; at = text.find("\r\nAutoMark: 1"))
            text.replace(at, 13, "\r\nAutoMark: 0");
        ASSERT_TRUE(WriteAll(SettingsFile(), text));
    }
    void Start(const std::wstring& exe = L"telvane.exe") {
        run = StartRecorder(L"", exe);
        ASSERT_NE(run.recorder, nullptr);
        WaitForDeferredInit();
        if (HWND box = driver::WaitForMessageBox(L"Telvane Message", 500, run.program.Id())) {
            ADD_FAILURE() << "message at start: " << Narrow(driver::MessageBoxText(box));
            driver::PressButton(box, IDOK);
        }
    }
    HWND OpenMarking() {
        EXPECT_TRUE(driver::ClickControl(run.recorder, kMarkButton));
        return driver::WaitForWindow(kTitle, 5000, run.program.Id());
    }
    bool MarkingGone() {
        return driver::PollUntil(5000, [&] { return driver::FindTopWindow(kTitle, run.program.Id()) == nullptr; });
    }
    std::wstring Status() { return driver::GetControlText(run.recorder, kStatus); }
    std::wstring ConsoleText() {
        HWND frame = driver::FindTopWindow(L"Telvane", run.program.Id());
        return frame ? driver::GetControlText(frame, kLogControl) : std::wstring();
    }
    // Sent, so the recorder has handled it when this returns.
    bool Command(int id) {
        DWORD_PTR result = 0;
        return ::SendMessageTimeoutW(run.recorder, WM_COMMAND, MAKEWPARAM(id, 0), 0, SMTO_ABORTIFHUNG, 10000,
                                     &result) != 0;
    }
    static void MoveTo(HWND w, int x, int y) {
        ::SetWindowPos(w, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    static void Place(HWND w, const RECT& r) {
        ::SetWindowPos(w, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }

    Started run;
};

TEST_F(Marking, MarkOpensItOnTheCaptureRegionAndMarkAgainClosesIt) {
    Prepare();
    Start();
    const std::string before = ReadAll(SettingsFile());
    HWND mark = OpenMarking();
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(Text(driver::WindowRect(mark)), Text(kStartRegion));
    EXPECT_EQ(::GetForegroundWindow(), mark);

    // Layered at a constant 150, and clickable (not transparent).
    const LONG exStyle = ::GetWindowLongW(mark, GWL_EXSTYLE);
    EXPECT_NE(exStyle & WS_EX_LAYERED, 0);
    EXPECT_EQ(exStyle & WS_EX_TRANSPARENT, 0);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(mark, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 150);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
    EXPECT_NE(::GetWindowLongW(mark, GWL_STYLE) & WS_THICKFRAME, 0);

    // "Record", "Retry", "Accept" from (4, 4) down, 2 pixels apart, one size.
    const struct {
        int id;
        const wchar_t* text;
    } buttons[] = {{kRecordButton, L"Record"}, {kRetryButton, L"Retry"}, {kAcceptButton, L"Accept"}};
    const RECT first = InParent(mark, kRecordButton);
    EXPECT_EQ(first.left, 4);
    EXPECT_EQ(first.top, 4);
    EXPECT_GT(first.right - first.left, 0);
    EXPECT_GT(first.bottom - first.top, 0);
    int top = 4;
    for (const auto& b : buttons) {
        SCOPED_TRACE(Narrow(b.text));
        EXPECT_EQ(driver::GetControlText(mark, b.id), b.text);
        const RECT r = InParent(mark, b.id);
        EXPECT_EQ(Text(r), Text(RECT{4, top, 4 + first.right - first.left, top + first.bottom - first.top}));
        top = r.bottom + 2;
    }
    // The "RESIZE" picture in the middle.
    HWND picture = ::GetDlgItem(mark, kPicture);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(::GetWindowLongW(picture, GWL_STYLE) & SS_TYPEMASK, SS_BITMAP);
    DWORD_PTR image = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0, SMTO_ABORTIFHUNG, 2000, &image));
    EXPECT_NE(image, 0u);
    const RECT p = InParent(mark, kPicture);
    RECT client{};
    ::GetClientRect(mark, &client);
    EXPECT_EQ(p.right - p.left, 96);
    EXPECT_EQ(p.bottom - p.top, 96);
    EXPECT_EQ(p.left, (client.right - 96) / 2);
    EXPECT_EQ(p.top, (client.bottom - 96) / 2);

    std::filesystem::create_directories(std::filesystem::path(driver::ProgramFolder() + L"screenshots"));
    EXPECT_TRUE(driver::SaveScreenshot(nullptr, driver::ProgramFolder() + L"screenshots\\marking_window.png"));

    // "MARK" again closes it and writes nothing.
    ASSERT_TRUE(driver::ClickControl(run.recorder, kMarkButton));
    EXPECT_TRUE(MarkingGone());
    ::Sleep(1500);
    EXPECT_EQ(ReadAll(SettingsFile()), before);
    EXPECT_EQ(CloseRecorder(run), 0u);
}

// A marking opened by hand is a marking under way: "&Restore defaults"
// leaves it and the settings alone, "&Get Video" closes it rather than start
// a search, and the recorder is idle again (its setup dialog opens).
TEST_F(Marking, AMarkingByHandIsNotResetAndGetVideoClosesIt) {
    Prepare();
    Start();
    const std::string before = ReadAll(SettingsFile());
    HWND mark = OpenMarking();
    ASSERT_NE(mark, nullptr);
    ASSERT_TRUE(Command(kRestoreDefaultsCommand));
    if (HWND box = driver::WaitForMessageBox(L"Telvane Message", 1000, run.program.Id())) {
        ADD_FAILURE() << "reset asked: " << Narrow(driver::MessageBoxText(box));
        driver::PressButton(box, IDNO);
    }
    EXPECT_EQ(driver::FindTopWindow(kTitle, run.program.Id()), mark);
    ASSERT_TRUE(Command(kGetVideoCommand));
    EXPECT_TRUE(MarkingGone());
    EXPECT_NE(Status(), L" Searching...Start your video now. Click Search to cancel.");
    ASSERT_TRUE(driver::ClickControl(run.recorder, kSettingsButton));
    EXPECT_NE(driver::WaitForWindow(L"Telvane Settings", 5000, run.program.Id()), nullptr);
    EXPECT_EQ(ReadAll(SettingsFile()), before);
    EXPECT_EQ(CloseRecorder(run), 0u);
}

TEST_F(Marking, MovingMovesTheMarkerButNotTheRegionUntilAccept) {
    Prepare();
    Start(L"telvane_devconsole.exe");
    const std::string before = ReadAll(SettingsFile());
    HWND mark = OpenMarking();
    ASSERT_NE(mark, nullptr);
    const std::wstring opened = ConsoleText();
    EXPECT_EQ(Occurrences(opened, L"Marking: marker " + RectText(kStartRegion)), 1u) << Narrow(opened);
    const size_t markerLines = Occurrences(opened, L"Marking: marker ");

    // The first two notifications leave the marker where it was; from the
    // third on it follows the window 1 pixel inside.
    MoveTo(mark, 210, 150);
    MoveTo(mark, 220, 150);
    driver::Settle(300);
    EXPECT_EQ(Occurrences(ConsoleText(), L"Marking: marker "), markerLines) << Narrow(ConsoleText());
    MoveTo(mark, 230, 180);
    driver::Settle(300);
    EXPECT_EQ(Text(driver::WindowRect(mark)), Text(RECT{230, 180, 630, 480}));
    const std::wstring moved = ConsoleText();
    EXPECT_EQ(Occurrences(moved, L"Marking: marker "), markerLines + 1) << Narrow(moved);
    EXPECT_EQ(Occurrences(moved, L"Marking: marker 231,181,629,479"), 1u) << Narrow(moved);
    // Moving is no sizing: the status does not show the region.
    EXPECT_EQ(Status().find(L"230,180"), std::wstring::npos) << Narrow(Status());

    // Closed by "MARK": the capture region is still the old one, which the
    // next opening shows; nothing was written.
    ASSERT_TRUE(driver::ClickControl(run.recorder, kMarkButton));
    ASSERT_TRUE(MarkingGone());
    EXPECT_EQ(ReadAll(SettingsFile()), before);
    mark = OpenMarking();
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(Text(driver::WindowRect(mark)), Text(kStartRegion));

    // Accepted after a move: the whole window rectangle, no shrink.
    MoveTo(mark, 230, 180);
    driver::Settle(300);
    ASSERT_TRUE(driver::ClickControl(mark, kAcceptButton));
    EXPECT_TRUE(MarkingGone());
    EXPECT_TRUE(driver::PollUntil(3000, [] {
        return FileRegion() == RegionLines(RECT{230, 180, 630, 480});
    })) << FileRegion();
    EXPECT_EQ(Occurrences(ConsoleText(), L"Marking: marker 230,180,630,480"), 1u);
    EXPECT_EQ(CloseRecorder(run), 0u);
}

TEST_F(Marking, SizingTakesTheRegionAtOnceAndAcceptWritesIt) {
    Prepare();
    Start();
    const std::string before = ReadAll(SettingsFile());
    HWND mark = OpenMarking();
    ASSERT_NE(mark, nullptr);

    const RECT sized{200, 150, 620, 410};
    Place(mark, sized);
    EXPECT_TRUE(driver::PollUntil(800, [&] { return Status() == L"200,150,620,410 (420,260)"; })) << Narrow(Status());
    // The buttons stay at the corner, the picture in the new middle.
    EXPECT_EQ(Text(InParent(mark, kRecordButton)).substr(0, 4), "4,4,");
    RECT client{};
    ::GetClientRect(mark, &client);
    const RECT p = InParent(mark, kPicture);
    EXPECT_EQ(p.left, (client.right - 96) / 2);
    EXPECT_EQ(p.top, (client.bottom - 96) / 2);
    // Not written yet.
    ::Sleep(1200);
    EXPECT_EQ(ReadAll(SettingsFile()), before);

    // The region in memory is the sized one: closed and opened again, the
    // window comes back on it.
    ASSERT_TRUE(driver::ClickControl(run.recorder, kMarkButton));
    ASSERT_TRUE(MarkingGone());
    mark = OpenMarking();
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(Text(driver::WindowRect(mark)), Text(sized));

    const RECT again{180, 120, 700, 500};
    Place(mark, again);
    EXPECT_TRUE(driver::PollUntil(800, [&] { return Status() == L"180,120,700,500 (520,380)"; })) << Narrow(Status());
    ASSERT_TRUE(driver::ClickControl(mark, kAcceptButton));
    EXPECT_TRUE(MarkingGone());
    EXPECT_TRUE(driver::PollUntil(3000, [&] { return FileRegion() == RegionLines(again); })) << FileRegion();
    EXPECT_EQ(CloseRecorder(run), 0u);
}

// The recorder window's children other than its controls: the preview's
// video window.
std::vector<HWND> VideoChildren(HWND recorder) {
    static const int controls[] = {1232, 1234, 1236, 311, 1215, 308, 309, 118};
    std::vector<HWND> found;
    for (HWND child = ::GetWindow(recorder, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const int id = ::GetDlgCtrlID(child);
        if (std::find(std::begin(controls), std::end(controls), id) == std::end(controls)) found.push_back(child);
    }
    return found;
}

TEST_F(Marking, TheFirstTickRestartsThePreviewOnceAndAcceptAgain) {
    Prepare({{"ShowVideo", "1"}});
    Start();
    std::vector<HWND> video;
    ASSERT_TRUE(driver::PollUntil(15000,
                                  [&] {
                                      video = VideoChildren(run.recorder);
                                      return video.size() == 1 && driver::IsVisible(video[0]);
                                  }))
        << video.size() << " video windows";
    // Tracking's own restart of the marked region's mode is behind us.
    ::Sleep(2000);
    video = VideoChildren(run.recorder);
    ASSERT_EQ(video.size(), 1u);
    const HWND beforeOpening = video[0];

    HWND mark = OpenMarking();
    ASSERT_NE(mark, nullptr);
    driver::Settle(300);
    EXPECT_EQ(VideoChildren(run.recorder), std::vector<HWND>{beforeOpening});
    // The first tick of the window's timer builds the preview again, once.
    HWND restarted = nullptr;
    EXPECT_TRUE(driver::PollUntil(3000,
                                  [&] {
                                      video = VideoChildren(run.recorder);
                                      restarted = video.size() == 1 && video[0] != beforeOpening ? video[0] : nullptr;
                                      return restarted != nullptr;
                                  }))
        << video.size() << " video windows";
    EXPECT_FALSE(::IsWindow(beforeOpening));
    ::Sleep(3500);
    EXPECT_EQ(VideoChildren(run.recorder), std::vector<HWND>{restarted});

    // "Accept" builds it once more, on the accepted region.
    ASSERT_TRUE(driver::ClickControl(mark, kAcceptButton));
    EXPECT_TRUE(MarkingGone());
    EXPECT_TRUE(driver::PollUntil(3000,
                                  [&] {
                                      video = VideoChildren(run.recorder);
                                      return video.size() == 1 && video[0] != restarted;
                                  }))
        << video.size() << " video windows";
    EXPECT_EQ(CloseRecorder(run), 0u);
}

TEST_F(Marking, AFoundVideoIsOfferedOnTheFoundRegion) {
    Prepare();
    // The fake call's window off the screen, its 640 x 360 video at 200, 150.
    win::Handle call = StartProgram(BesideTest(L"fakecall.exe"), L"/x 1400 /y 0 /video 200 150");
    ASSERT_TRUE(call);
    HWND callWindow = WaitForWindow(L"TConversationForm", L"Bob", 10000);
    const EndProgramOnExit endCall(call, callWindow);
    ASSERT_NE(callWindow, nullptr);
    ASSERT_NE(WaitForWindow(L"FakeCallVideo", L"Fake video", 5000), nullptr);
    Start();
    ASSERT_TRUE(Command(kGetVideoCommand));
    std::wstring status;
    ASSERT_TRUE(driver::PollUntil(30000, [&] {
        status = Status();
        return status == L"Motion video detected. Click Accept in the video window...";
    })) << Narrow(status);
    HWND mark = driver::WaitForWindow(kTitle, 3000, run.program.Id());
    ASSERT_NE(mark, nullptr);
    // The handler wrote the found region; the window stands on it.
    const RECT found = driver::WindowRect(mark);
    EXPECT_EQ(FileRegion(), RegionLines(found));
    EXPECT_GT(found.right - found.left, 600) << Text(found);
    EXPECT_GT(found.bottom - found.top, 330) << Text(found);
    // Offered for acceptance ("marked"): "&Get Video" closes it instead of
    // starting another search, and the region stays the found one.
    ASSERT_TRUE(Command(kGetVideoCommand));
    EXPECT_EQ(driver::FindTopWindow(kTitle, run.program.Id()), nullptr);
    EXPECT_NE(Status(), L" Searching...Start your video now. Click Search to cancel.");
    ::Sleep(1500);
    EXPECT_EQ(driver::FindTopWindow(kTitle, run.program.Id()), nullptr);
    EXPECT_EQ(FileRegion(), RegionLines(found));
    EXPECT_EQ(CloseRecorder(run), 0u);
    EndProgram(call, callWindow);
}

TEST_F(Marking, ClickOnTheWindowAccepts) {
    Prepare();
    Start();
    HWND mark = OpenMarking();
    ASSERT_NE(mark, nullptr);
    MoveTo(mark, 300, 200);
    driver::Settle(300);
    RECT client{};
    ::GetClientRect(mark, &client);
    // Outside the buttons and the picture: the bottom right corner.
    ASSERT_TRUE(::PostMessageW(mark, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.right - 5, client.bottom - 5)));
    ASSERT_TRUE(::PostMessageW(mark, WM_LBUTTONUP, 0, MAKELPARAM(client.right - 5, client.bottom - 5)));
    EXPECT_TRUE(MarkingGone());
    EXPECT_TRUE(driver::PollUntil(3000, [] {
        return FileRegion() == RegionLines(RECT{300, 200, 700, 500});
    })) << FileRegion();
    EXPECT_EQ(CloseRecorder(run), 0u);
}

TEST_F(Marking, RetryWritesNothingAndStartsASearch) {
    Prepare();
    Start();
    const std::string before = ReadAll(SettingsFile());
    HWND mark = OpenMarking();
    ASSERT_NE(mark, nullptr);
    Place(mark, RECT{250, 200, 650, 480});
    ASSERT_TRUE(driver::ClickControl(mark, kRetryButton));
    EXPECT_TRUE(MarkingGone());
    std::wstring status;
    EXPECT_TRUE(driver::PollUntil(900, [&] {
        status = Status();
        return status == L"Searching for motion video. Start your video now.";
    })) << Narrow(status);
    EXPECT_EQ(ReadAll(SettingsFile()), before);
    // A second later the search runs: "&Get Video" now cancels it.
    ::Sleep(2000);
    ASSERT_TRUE(Command(kGetVideoCommand));
    EXPECT_TRUE(driver::PollUntil(10000, [&] {
        status = Status();
        return status == L"Search canceled...";
    })) << Narrow(status);
    EXPECT_EQ(CloseRecorder(run), 0u);
}

TEST_F(Marking, RecordRecordsTheMarkedRegionFromTheNextTick) {
    const std::filesystem::path out(driver::ProgramFolder() + L"marking");
    const std::filesystem::path folder = out / L"recordings";
    const std::filesystem::path copy = out / L"marked.wmv";
    std::error_code ignored;
    std::filesystem::remove_all(out, ignored);
    ASSERT_TRUE(std::filesystem::create_directories(folder));
    Prepare({{"Recording Folder", Narrow(folder.wstring())},
             {"Video Bitrate", "500"},
             {"Audio Bitrate", "64"},
             {"Bitcount", "32"}});
    // The marked region 329 x 249 over a magenta patch records 328 x 248 of it.
    const RECT marked{240, 160, 569, 409};
    ColourPatch patch(marked, RGB(200, 40, 120));
    ASSERT_NE(patch.Window(), nullptr);
    Start();
    ASSERT_TRUE(driver::PollUntil(20000, [] { return ::FindWindowW(nullptr, L"Silence") != nullptr; }));

    HWND mark = OpenMarking();
    ASSERT_NE(mark, nullptr);
    Place(mark, marked);
    ASSERT_TRUE(driver::ClickControl(mark, kRecordButton));
    EXPECT_TRUE(MarkingGone());
    EXPECT_TRUE(driver::PollUntil(3000, [&] { return FileRegion() == RegionLines(marked); })) << FileRegion();
    const bool started =
        driver::PollUntil(20000, [&] { return driver::GetControlText(run.recorder, kRecord) == L"STOP"; });
    if (!started) {
        for (const wchar_t* caption : {L"Telvane Message", L"Sonark Message"})
            if (HWND box = driver::FindTopWindow(caption, run.program.Id()))
                ADD_FAILURE() << Narrow(caption) << ": " << Narrow(driver::MessageBoxText(box));
    }
    ASSERT_TRUE(started) << Narrow(Status());
    std::wstring status;
    EXPECT_TRUE(driver::PollUntil(15000, [&] {
        status = Status();
        return status.rfind(L"Recording: ", 0) == 0 && status.find(L"00:00:03") != std::wstring::npos;
    })) << Narrow(status);
    ASSERT_TRUE(driver::ClickControl(run.recorder, kRecord));
    EXPECT_TRUE(driver::PollUntil(15000, [&] {
        status = Status();
        return status.rfind(L"Recording Stopped: ", 0) == 0;
    })) << Narrow(status);
    EXPECT_EQ(CloseRecorder(run), 0u);

    const std::vector<std::filesystem::path> found = Recordings(folder);
    ASSERT_EQ(found.size(), 1u);
    std::filesystem::copy_file(found[0], copy);
}

TEST_F(Marking, AThousandOpeningsLeaveNoGdiObjectOrWindowBehind) {
    Prepare();
    Start();
    // One opening first: what stays loaded after it (the bitmap's resource,
    // the window class) is not the window's.
    ASSERT_TRUE(Command(kMarkCommand));
    ASSERT_NE(driver::FindTopWindow(kTitle, run.program.Id()), nullptr);
    ASSERT_TRUE(Command(kMarkCommand));
    ASSERT_EQ(driver::FindTopWindow(kTitle, run.program.Id()), nullptr);
    const markingtest::RemoteCounts before = markingtest::CountRemote(run.program.ProcessHandle(), run.program.Id());
    ASSERT_TRUE(before.gdiRead) << before;

    const ULONGLONG start = ::GetTickCount64();
    markingtest::RemoteCounts whileOpen;
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(Command(kMarkCommand)) << i;
        HWND mark = driver::FindTopWindow(kTitle, run.program.Id());
        ASSERT_NE(mark, nullptr) << i;
        if (i == 500) whileOpen = markingtest::CountRemote(run.program.ProcessHandle(), run.program.Id());
        ASSERT_TRUE(Command(kMarkCommand)) << i;
        ASSERT_EQ(driver::FindTopWindow(kTitle, run.program.Id()), nullptr) << i;
    }
    const ULONGLONG elapsed = ::GetTickCount64() - start;
    const markingtest::RemoteCounts after = markingtest::CountRemote(run.program.ProcessHandle(), run.program.Id());
    std::cout << "1000 openings in " << elapsed << " ms\n  before " << before << "\n  while open " << whileOpen
              << "\n  after " << after << std::endl;
    // An open window holds its font and its bitmap.
    EXPECT_GE(whileOpen.gdiObjects, before.gdiObjects + 2) << whileOpen;
    EXPECT_EQ(after.gdiObjects, before.gdiObjects) << after;
    EXPECT_EQ(after.windows, before.windows) << after;
    EXPECT_EQ(CloseRecorder(run), 0u);
}

}  // namespace
