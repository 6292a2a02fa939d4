// The test driver against windows whose behaviour the test knows: a window
// with controls run by a thread of this program (or by a second copy of this
// program, for the cross-process paths), message boxes opened by a thread,
// and cmd.exe.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <string>
#include <thread>

#include "tests/wine/driver/Driver.h"

namespace {

using namespace driver;

constexpr wchar_t kWindowTitle[] = L"Driver Selftest Window";
constexpr wchar_t kChildTitle[] = L"Driver Selftest Child";
constexpr wchar_t kBoxCaption[] = L"Driver Selftest";
constexpr wchar_t kPingMessage[] = L"TelvaneDriverSelftestPing";
constexpr wchar_t kAskText[] = L"Save the recording before closing?";

constexpr int kPressId = 1001;
constexpr int kEditId = 1002;
constexpr int kCheckId = 1003;
constexpr int kDisabledId = 1004;
constexpr int kAskId = 1005;
constexpr int kMenuId = 2001;

constexpr int kLeft = 100;
constexpr int kTop = 100;
constexpr int kClientWidth = 400;
constexpr int kClientHeight = 300;
// A point of the client area that no control covers.
constexpr POINT kBackgroundPoint = {300, 220};
constexpr COLORREF kBackground = RGB(0x20, 0x80, 0xC0);

constexpr DWORD kAppearMs = 10000;

// A top-level window with a few controls, run by its own thread with its
// own message loop, as a driven program would run it. It records what
// reaches its window procedure.
class TestWindow {
public:
    explicit TestWindow(const wchar_t* title) : m_title(title) {
        std::promise<HWND> created;
        std::future<HWND> window = created.get_future();
        m_thread = std::thread([this, &created] { Run(created); });
        m_hwnd = window.get();
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    ~TestWindow() {
        if (m_hwnd) ::PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
        m_thread.join();
    }

    HWND Hwnd() const { return m_hwnd; }

    std::atomic<int> m_clicks{0};
    std::atomic<int> m_editChanges{0};
    std::atomic<int> m_menuCommands{0};
    std::atomic<int> m_menuNotifyCode{-1};
    std::atomic<int> m_pings{0};
    std::atomic<WPARAM> m_pingWParam{0};
    std::atomic<LPARAM> m_pingLParam{0};
    std::atomic<int> m_askAnswer{0};

private:
    static constexpr wchar_t kClassName[] = L"TelvaneDriverSelftest";

    void Run(std::promise<HWND>& created) {
        static const ATOM windowClass = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = &TestWindow::Proc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
            wc.lpszClassName = kClassName;
            return ::RegisterClassExW(&wc);
        }();
        HWND hwnd = nullptr;
        if (windowClass) {
            RECT rect{kLeft, kTop, kLeft + kClientWidth, kTop + kClientHeight};
            const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
            ::AdjustWindowRectEx(&rect, style, FALSE, 0);
            hwnd = ::CreateWindowExW(0, kClassName, m_title, style, rect.left, rect.top, rect.right - rect.left,
                                     rect.bottom - rect.top, nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
        }
        if (hwnd) {
            CreateChild(hwnd, L"BUTTON", L"Press", BS_PUSHBUTTON, 10, 10, kPressId);
            CreateChild(hwnd, L"EDIT", L"initial", ES_AUTOHSCROLL | WS_BORDER, 10, 50, kEditId);
            CreateChild(hwnd, L"BUTTON", L"Keep", BS_AUTOCHECKBOX, 10, 90, kCheckId);
            ::CheckDlgButton(hwnd, kCheckId, BST_CHECKED);
            ::EnableWindow(CreateChild(hwnd, L"BUTTON", L"Never", BS_PUSHBUTTON, 10, 130, kDisabledId), FALSE);
            CreateChild(hwnd, L"BUTTON", L"Ask", BS_PUSHBUTTON, 10, 170, kAskId);
            ::ShowWindow(hwnd, SW_SHOWNORMAL);
            ::UpdateWindow(hwnd);
        }
        created.set_value(hwnd);
        if (!hwnd) return;
        MSG msg;
        BOOL got;
        while ((got = ::GetMessageW(&msg, nullptr, 0, 0)) != 0 && got != -1) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }

    static HWND CreateChild(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int id) {
        return ::CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, x, y, 160, 28, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr),
                                 nullptr);
    }

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<TestWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        return self ? self->OnMessage(hwnd, msg, wParam, lParam) : ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    LRESULT OnMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        static const UINT ping = ::RegisterWindowMessageW(kPingMessage);
        if (msg == ping && ping != 0) {
            m_pingWParam = wParam;
            m_pingLParam = lParam;
            ++m_pings;
            return 0;
        }
        switch (msg) {
            case WM_ERASEBKGND: {
                RECT client;
                ::GetClientRect(hwnd, &client);
                win::Brush brush(::CreateSolidBrush(kBackground));
                ::FillRect(reinterpret_cast<HDC>(wParam), &client, brush.Get());
                return 1;
            }
            case WM_COMMAND:
                OnCommand(hwnd, LOWORD(wParam), HIWORD(wParam), lParam);
                return 0;
            case WM_DESTROY:
                ::PostQuitMessage(0);
                return 0;
        }
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    void OnCommand(HWND hwnd, int id, int code, LPARAM control) {
        if (id == kPressId && code == BN_CLICKED) ++m_clicks;
        if (id == kEditId && code == EN_CHANGE) ++m_editChanges;
        if (id == kAskId && code == BN_CLICKED)
            m_askAnswer = ::MessageBoxW(hwnd, kAskText, kBoxCaption, MB_YESNOCANCEL | MB_ICONQUESTION);
        if (id == kMenuId && control == 0) {
            m_menuNotifyCode = code;
            ++m_menuCommands;
        }
    }

    const wchar_t* m_title;
    HWND m_hwnd = nullptr;
    std::thread m_thread;
};

// A window this thread creates and destroys, for the calls that need no
// message loop behind the window.
class LocalWindow {
public:
    explicit LocalWindow(HWND hwnd) : m_hwnd(hwnd) {}
    LocalWindow(const LocalWindow&) = delete;
    LocalWindow& operator=(const LocalWindow&) = delete;
    ~LocalWindow() {
        if (m_hwnd) ::DestroyWindow(m_hwnd);
    }
    HWND Get() const { return m_hwnd; }

private:
    HWND m_hwnd;
};

// Answers a message box thread that the test may have left waiting (after a
// failed assertion), so the thread can be joined.
class MessageBoxThread {
public:
    template <class Body>
    explicit MessageBoxThread(Body body) : m_thread([this, body] { m_answer = body(); }) {}
    MessageBoxThread(const MessageBoxThread&) = delete;
    MessageBoxThread& operator=(const MessageBoxThread&) = delete;
    ~MessageBoxThread() {
        PollUntil(5000, [this] {
            if (m_answer != kPending) return true;
            if (HWND box = FindTopWindow(kBoxCaption, ::GetCurrentProcessId(), kDialogClass))
                ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
            return false;
        });
        if (m_answer != kPending)
            m_thread.join();
        else
            m_thread.detach();
    }
    // Waits for the thread's answer; kPending if it has none after timeoutMs.
    int Answer(DWORD timeoutMs) {
        PollUntil(timeoutMs, [this] { return m_answer != kPending; });
        return m_answer;
    }

    static constexpr int kPending = -1;

private:
    std::atomic<int> m_answer{kPending};
    std::thread m_thread;
};

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (uint32_t{b[at + 1]} << 8) | (uint32_t{b[at + 2]} << 16) | (uint32_t{b[at + 3]} << 24);
}
uint32_t Be32(const std::vector<uint8_t>& b, size_t at) {
    return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) | b[at + 3];
}

std::wstring ShotFolder() {
    const std::wstring folder = ProgramFolder() + L"screenshots\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

COLORREF PixelAt(const RgbImage& image, int x, int y) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return CLR_INVALID;
    const size_t at = (static_cast<size_t>(y) * image.width + x) * 3;
    return RGB(image.rgb[at], image.rgb[at + 1], image.rgb[at + 2]);
}

// Where kBackgroundPoint of the client area lies in a capture of the window.
POINT BackgroundInWindow(HWND hwnd) {
    POINT point = kBackgroundPoint;
    ::ClientToScreen(hwnd, &point);
    const RECT rect = WindowRect(hwnd);
    return POINT{point.x - rect.left, point.y - rect.top};
}

// ---------------------------------------------------------------------------
// Finding windows

class DriverWindow : public ::testing::Test {
protected:
    TestWindow window{kWindowTitle};
};

TEST_F(DriverWindow, WaitForWindowFindsTheExactTitleOnly) {
    ASSERT_NE(window.Hwnd(), nullptr);
    EXPECT_EQ(WaitForWindow(kWindowTitle, kAppearMs), window.Hwnd());
    EXPECT_EQ(WaitForWindow(kWindowTitle, kAppearMs, ::GetCurrentProcessId()), window.Hwnd());
    EXPECT_EQ(FindTopWindow(L"Driver Selftest Windo"), nullptr);
    EXPECT_EQ(FindTopWindow(L"driver selftest window"), nullptr);
    EXPECT_EQ(FindTopWindow(kWindowTitle, 0, L"TelvaneDriverSelftest"), window.Hwnd());
    EXPECT_EQ(FindTopWindow(kWindowTitle, 0, kDialogClass), nullptr);
}

TEST_F(DriverWindow, ProcessFilterExcludesOtherProcesses) {
    ASSERT_NE(window.Hwnd(), nullptr);
    // Process ids are multiples of 4; 2 is never one.
    EXPECT_EQ(FindTopWindow(kWindowTitle, 2), nullptr);
}

TEST_F(DriverWindow, WaitForWindowTimesOutWithNothing) {
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(WaitForWindow(L"Driver Selftest Nobody", 300), nullptr);
    EXPECT_GE(::GetTickCount64() - start, 290u);
}

TEST_F(DriverWindow, HiddenWindowsAreFoundAndReportedHidden) {
    ASSERT_NE(window.Hwnd(), nullptr);
    EXPECT_TRUE(IsVisible(window.Hwnd()));
    ::ShowWindow(window.Hwnd(), SW_HIDE);
    EXPECT_FALSE(IsVisible(window.Hwnd()));
    EXPECT_EQ(WaitForWindow(kWindowTitle, 0), window.Hwnd());
}

TEST(DriverWindowGone, WaitForWindowGoneSeesTheWindowClose) {
    {
        TestWindow window(kWindowTitle);
        ASSERT_NE(window.Hwnd(), nullptr);
        EXPECT_FALSE(WaitForWindowGone(kWindowTitle, 200));
    }
    EXPECT_TRUE(WaitForWindowGone(kWindowTitle, 3000));
    EXPECT_EQ(FindTopWindow(kWindowTitle), nullptr);
}

TEST_F(DriverWindow, WindowRectIsWhereTheWindowWasPlaced) {
    ASSERT_NE(window.Hwnd(), nullptr);
    RECT expected{kLeft, kTop, kLeft + kClientWidth, kTop + kClientHeight};
    ::AdjustWindowRectEx(&expected, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, FALSE, 0);
    const RECT rect = WindowRect(window.Hwnd());
    EXPECT_EQ(rect.left, expected.left);
    EXPECT_EQ(rect.top, expected.top);
    EXPECT_EQ(rect.right, expected.right);
    EXPECT_EQ(rect.bottom, expected.bottom);
    const RECT none = WindowRect(nullptr);
    EXPECT_EQ(none.left | none.top | none.right | none.bottom, 0);
}

// ---------------------------------------------------------------------------
// Working controls

TEST_F(DriverWindow, ReadsAndSetsTexts) {
    ASSERT_NE(window.Hwnd(), nullptr);
    EXPECT_EQ(GetText(window.Hwnd()), kWindowTitle);
    EXPECT_EQ(GetControlText(window.Hwnd(), kPressId), L"Press");
    EXPECT_EQ(GetControlText(window.Hwnd(), kEditId), L"initial");
    EXPECT_TRUE(SetControlText(window.Hwnd(), kEditId, L"changed \u00e9\u4e2d"));
    EXPECT_EQ(GetControlText(window.Hwnd(), kEditId), L"changed \u00e9\u4e2d");
    EXPECT_EQ(window.m_editChanges, 1);
    EXPECT_TRUE(SetControlText(window.Hwnd(), kEditId, L""));
    EXPECT_EQ(GetControlText(window.Hwnd(), kEditId), L"");
}

TEST_F(DriverWindow, MissingControlsGiveNothing) {
    ASSERT_NE(window.Hwnd(), nullptr);
    EXPECT_EQ(GetControlText(window.Hwnd(), 9999), L"");
    EXPECT_FALSE(SetControlText(window.Hwnd(), 9999, L"x"));
    EXPECT_FALSE(ClickControl(window.Hwnd(), 9999));
    EXPECT_FALSE(IsControlEnabled(window.Hwnd(), 9999));
    EXPECT_FALSE(IsControlChecked(window.Hwnd(), 9999));
    EXPECT_EQ(GetText(nullptr), L"");
}

TEST_F(DriverWindow, ClickControlReachesTheParentAsBnClicked) {
    ASSERT_NE(window.Hwnd(), nullptr);
    EXPECT_TRUE(ClickControl(window.Hwnd(), kPressId));
    EXPECT_TRUE(PollUntil(3000, [&] { return window.m_clicks == 1; })) << "clicks: " << window.m_clicks;
    EXPECT_TRUE(ClickControl(window.Hwnd(), kPressId));
    EXPECT_TRUE(PollUntil(3000, [&] { return window.m_clicks == 2; })) << "clicks: " << window.m_clicks;
}

TEST_F(DriverWindow, DisabledControlsAreNotClicked) {
    ASSERT_NE(window.Hwnd(), nullptr);
    EXPECT_TRUE(IsControlEnabled(window.Hwnd(), kPressId));
    EXPECT_FALSE(IsControlEnabled(window.Hwnd(), kDisabledId));
    EXPECT_FALSE(ClickControl(window.Hwnd(), kDisabledId));
}

TEST_F(DriverWindow, ClickingACheckBoxTogglesIt) {
    ASSERT_NE(window.Hwnd(), nullptr);
    EXPECT_TRUE(IsControlChecked(window.Hwnd(), kCheckId));
    EXPECT_FALSE(IsControlChecked(window.Hwnd(), kPressId));
    EXPECT_TRUE(ClickControl(window.Hwnd(), kCheckId));
    EXPECT_TRUE(PollUntil(3000, [&] { return !IsControlChecked(window.Hwnd(), kCheckId); }));
}

TEST_F(DriverWindow, SendMenuCommandPostsACommandWithoutControl) {
    ASSERT_NE(window.Hwnd(), nullptr);
    EXPECT_TRUE(SendMenuCommand(window.Hwnd(), kMenuId));
    EXPECT_TRUE(PollUntil(3000, [&] { return window.m_menuCommands == 1; }));
    EXPECT_EQ(window.m_menuNotifyCode, 0);
}

TEST_F(DriverWindow, PostRegisteredMessageCarriesItsParameters) {
    ASSERT_NE(window.Hwnd(), nullptr);
    EXPECT_TRUE(PostRegisteredMessage(window.Hwnd(), kPingMessage, 7, 9));
    EXPECT_TRUE(PollUntil(3000, [&] { return window.m_pings == 1; }));
    EXPECT_EQ(window.m_pingWParam, 7u);
    EXPECT_EQ(window.m_pingLParam, 9);
}

// ---------------------------------------------------------------------------
// Message boxes

TEST(DriverMessageBox, PressButtonAnswersABoxOfAnotherThread) {
    const wchar_t* question = L"Keep the recording of this call?";
    MessageBoxThread asker([question] { return ::MessageBoxW(nullptr, question, kBoxCaption, MB_YESNO); });
    HWND box = WaitForMessageBox(kBoxCaption, kAppearMs, ::GetCurrentProcessId());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), question);
    // Both Windows and Wine give the message text the id 0xFFFF.
    EXPECT_EQ(GetControlText(box, kMessageBoxTextId), question);
    // A box found by WaitForMessageBox has finished setting itself up.
    EXPECT_NE(::GetDlgItem(box, IDYES), nullptr);
    EXPECT_NE(::GetDlgItem(box, IDNO), nullptr);
    EXPECT_TRUE(PressButton(box, IDNO));
    EXPECT_EQ(asker.Answer(3000), IDNO);
}

TEST(DriverMessageBox, PressButtonFallsBackToACommandForAMissingButton) {
    MessageBoxThread asker([] { return ::MessageBoxW(nullptr, L"Recording stopped.", kBoxCaption, MB_OK); });
    HWND box = WaitForMessageBox(kBoxCaption, kAppearMs, ::GetCurrentProcessId());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(::GetDlgItem(box, IDCANCEL), nullptr);
    // The command still ends the box: Wine 8 returns the id as sent (IDCANCEL);
    // Windows answers Escape on an OK-only box with IDOK.
    EXPECT_TRUE(PressButton(box, IDCANCEL));
    const int answer = asker.Answer(3000);
    EXPECT_TRUE(answer == IDOK || answer == IDCANCEL) << answer;
}

TEST(DriverMessageBox, WaitForMessageBoxIgnoresOtherWindowsWithTheCaption) {
    TestWindow window(kBoxCaption);
    ASSERT_NE(window.Hwnd(), nullptr);
    EXPECT_EQ(WaitForMessageBox(kBoxCaption, 200), nullptr);
}

TEST(DriverMessageBox, ClickThatOpensAModalBoxReturnsAtOnce) {
    TestWindow window(kWindowTitle);
    ASSERT_NE(window.Hwnd(), nullptr);
    EXPECT_TRUE(ClickControl(window.Hwnd(), kAskId));
    HWND box = WaitForMessageBox(kBoxCaption, kAppearMs, ::GetCurrentProcessId());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), kAskText);
    EXPECT_EQ(::GetWindow(box, GW_OWNER), window.Hwnd());
    EXPECT_TRUE(PressButton(box, IDYES));
    EXPECT_TRUE(PollUntil(3000, [&] { return window.m_askAnswer == IDYES; })) << window.m_askAnswer;
}

TEST(DriverMessageBox, MessageBoxTextFallsBackToTheLongestStatic) {
    // A dialog-class window without the 0xFFFF control, as a hand-made
    // message dialog might be.
    LocalWindow dialog(::CreateWindowExW(0, kDialogClass, L"Hand made", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                         ::GetModuleHandleW(nullptr), nullptr));
    ASSERT_NE(dialog.Get(), nullptr);
    for (const auto& [id, text] : {std::pair<int, const wchar_t*>{10, L"Short"},
                                   {11, L"The longest text of them all"},
                                   {12, L"Middle length"}}) {
        ASSERT_NE(
            ::CreateWindowExW(0, L"STATIC", text, WS_CHILD, 0, 0, 50, 20, dialog.Get(),
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr),
            nullptr);
    }
    ::CreateWindowExW(0, L"BUTTON", L"A button with an even longer text than that", WS_CHILD, 0, 0, 50, 20,
                      dialog.Get(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), ::GetModuleHandleW(nullptr),
                      nullptr);
    EXPECT_EQ(MessageBoxText(dialog.Get()), L"The longest text of them all");
}

// ---------------------------------------------------------------------------
// Screenshots

TEST_F(DriverWindow, CaptureShowsWhatTheWindowPainted) {
    ASSERT_NE(window.Hwnd(), nullptr);
    const POINT at = BackgroundInWindow(window.Hwnd());
    RgbImage image;
    // Painting reaches the screen a little after ShowWindow.
    const bool painted = PollUntil(
        5000, [&] { return CaptureWindow(window.Hwnd(), &image) && PixelAt(image, at.x, at.y) == kBackground; });
    EXPECT_TRUE(painted) << std::hex << "pixel " << PixelAt(image, at.x, at.y);
}

TEST_F(DriverWindow, SavesBmpScreenshotOfTheWindowRectangle) {
    ASSERT_NE(window.Hwnd(), nullptr);
    const POINT at = BackgroundInWindow(window.Hwnd());
    RgbImage image;
    PollUntil(5000, [&] { return CaptureWindow(window.Hwnd(), &image) && PixelAt(image, at.x, at.y) == kBackground; });

    const std::wstring path = ShotFolder() + L"driver_selftest_window.bmp";
    ASSERT_TRUE(SaveScreenshot(window.Hwnd(), path));
    std::vector<uint8_t> bmp;
    ASSERT_TRUE(ReadFileBytes(path, &bmp));
    ASSERT_GE(bmp.size(), 54u);
    const RECT rect = WindowRect(window.Hwnd());
    const uint32_t width = rect.right - rect.left;
    const uint32_t height = rect.bottom - rect.top;
    const uint32_t stride = (width * 3 + 3) / 4 * 4;
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(Le32(bmp, 2), bmp.size());
    EXPECT_EQ(Le32(bmp, 10), 54u);
    EXPECT_EQ(Le32(bmp, 18), width);
    EXPECT_EQ(Le32(bmp, 22), height);
    EXPECT_EQ(bmp[28], 24);
    ASSERT_EQ(bmp.size(), 54 + stride * height);
    // Bottom-up rows, B G R.
    const size_t pixel = 54 + (height - 1 - at.y) * stride + at.x * 3;
    EXPECT_EQ(RGB(bmp[pixel + 2], bmp[pixel + 1], bmp[pixel]), kBackground);
}

TEST_F(DriverWindow, SavesPngScreenshotsOfTheWindowAndTheScreen) {
    ASSERT_NE(window.Hwnd(), nullptr);
    const std::wstring windowPath = ShotFolder() + L"driver_selftest_window.png";
    ASSERT_TRUE(SaveScreenshot(window.Hwnd(), windowPath));
    std::vector<uint8_t> png;
    ASSERT_TRUE(ReadFileBytes(windowPath, &png));
    ASSERT_GE(png.size(), 33u);
    const std::vector<uint8_t> signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_EQ(std::vector<uint8_t>(png.begin(), png.begin() + 8), signature);
    const RECT rect = WindowRect(window.Hwnd());
    EXPECT_EQ(Be32(png, 16), static_cast<uint32_t>(rect.right - rect.left));
    EXPECT_EQ(Be32(png, 20), static_cast<uint32_t>(rect.bottom - rect.top));

    const std::wstring screenPath = ShotFolder() + L"driver_selftest_screen.PNG";
    ASSERT_TRUE(SaveScreenshot(nullptr, screenPath));
    ASSERT_TRUE(ReadFileBytes(screenPath, &png));
    ASSERT_GE(png.size(), 33u);
    EXPECT_EQ(Be32(png, 16), static_cast<uint32_t>(::GetSystemMetrics(SM_CXVIRTUALSCREEN)));
    EXPECT_EQ(Be32(png, 20), static_cast<uint32_t>(::GetSystemMetrics(SM_CYVIRTUALSCREEN)));
}

TEST(DriverScreenshot, RefusesUnknownEndingsAndMissingWindows) {
    const std::wstring path = ShotFolder() + L"driver_selftest_refused.jpg";
    EXPECT_FALSE(SaveScreenshot(nullptr, path));
    EXPECT_FALSE(FileExists(path));
    TestWindow window(kWindowTitle);
    ASSERT_NE(window.Hwnd(), nullptr);
    const HWND gone = window.Hwnd();
    ::SendMessageW(gone, WM_CLOSE, 0, 0);
    EXPECT_FALSE(SaveScreenshot(gone, ShotFolder() + L"driver_selftest_gone.bmp"));
}

// ---------------------------------------------------------------------------
// Programs

TEST(DriverProgram, ExitCodeOfCmdComesBack) {
    Program program = Program::Start(L"cmd.exe", L"/c exit 5");
    ASSERT_TRUE(program.IsValid()) << program.Error();
    EXPECT_TRUE(program.Error().empty());
    EXPECT_NE(program.Id(), 0u);
    EXPECT_EQ(program.CommandLine(), L"\"cmd.exe\" /c exit 5");
    DWORD code = 0;
    ASSERT_TRUE(program.WaitForExit(kAppearMs, &code));
    EXPECT_EQ(code, 5u);
    EXPECT_FALSE(program.IsRunning());
}

TEST(DriverProgram, WorkingFolderIsPassedOn) {
    // `if exist` looks in the working folder; system32 is only in the
    // Windows folder.
    Program inWindows = Program::Start(L"cmd.exe", L"/c if exist system32 (exit 3) else (exit 4)", L"C:\\windows");
    ASSERT_TRUE(inWindows.IsValid()) << inWindows.Error();
    DWORD code = 0;
    ASSERT_TRUE(inWindows.WaitForExit(kAppearMs, &code));
    EXPECT_EQ(code, 3u);
}

TEST(DriverProgram, StartingAMissingProgramSaysWhy) {
    Program program = Program::Start(L"C:\\no such folder\\nothing.exe", L"");
    EXPECT_FALSE(program.IsValid());
    EXPECT_FALSE(program.IsRunning());
    EXPECT_EQ(program.Id(), 0u);
    EXPECT_NE(program.Error().find(L"cannot start \"C:\\no such folder\\nothing.exe\""), std::wstring::npos)
        << program.Error();
    EXPECT_FALSE(program.WaitForExit(0, nullptr));
}

TEST(DriverProgram, ProgramFolderHoldsThisProgram) {
    const std::wstring folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), L'\\');
    EXPECT_TRUE(FileExists(folder + L"driver_selftest.exe"));
}

// The second copy of this program that the cross-process tests drive.
Program StartChild() {
    return Program::Start(ProgramFolder() + L"driver_selftest.exe",
                          L"--gtest_also_run_disabled_tests --gtest_filter=DriverChild.DISABLED_ShowsAWindow");
}

TEST(DriverProgram, DrivesAWindowOfAnotherProcessAndEndsIt) {
    Program child = StartChild();
    ASSERT_TRUE(child.IsValid()) << child.Error();
    HWND hwnd = WaitForWindow(kChildTitle, kAppearMs, child.Id());
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(FindTopWindow(kChildTitle, ::GetCurrentProcessId()), nullptr);
    // The window exists before its controls do: wait for them.
    EXPECT_TRUE(PollUntil(kAppearMs, [&] { return GetControlText(hwnd, kEditId) == L"initial"; }));
    EXPECT_TRUE(SetControlText(hwnd, kEditId, L"from the test"));
    EXPECT_EQ(GetControlText(hwnd, kEditId), L"from the test");
    EXPECT_TRUE(IsControlChecked(hwnd, kCheckId));
    EXPECT_TRUE(ClickControl(hwnd, kAskId));
    HWND box = WaitForMessageBox(kBoxCaption, kAppearMs, child.Id());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), kAskText);
    EXPECT_TRUE(PressButton(box, IDCANCEL));

    EXPECT_TRUE(child.IsRunning());
    child.End();
    EXPECT_FALSE(child.IsRunning());
    DWORD code = 0;
    EXPECT_TRUE(child.WaitForExit(0, &code));
    EXPECT_EQ(code, 1u);
    EXPECT_TRUE(WaitForWindowGone(kChildTitle, 5000));
}

TEST(DriverProgram, ReplacingOrDroppingAProgramEndsIt) {
    Program child = StartChild();
    ASSERT_TRUE(child.IsValid()) << child.Error();
    const DWORD id = child.Id();
    ASSERT_NE(WaitForWindow(kChildTitle, kAppearMs, id), nullptr);

    Program moved = std::move(child);
    EXPECT_FALSE(child.IsValid());
    EXPECT_EQ(child.Id(), 0u);
    EXPECT_EQ(moved.Id(), id);
    EXPECT_TRUE(moved.IsRunning());

    moved = Program();
    EXPECT_FALSE(moved.IsValid());
    EXPECT_TRUE(WaitForWindowGone(kChildTitle, 5000));

    {
        Program dropped = StartChild();
        ASSERT_TRUE(dropped.IsValid()) << dropped.Error();
        ASSERT_NE(WaitForWindow(kChildTitle, kAppearMs, dropped.Id()), nullptr);
    }
    EXPECT_TRUE(WaitForWindowGone(kChildTitle, 5000));
}

// Run only as the child of the tests above, which end it.
TEST(DriverChild, DISABLED_ShowsAWindow) {
    TestWindow window(kChildTitle);
    ASSERT_NE(window.Hwnd(), nullptr);
    ::Sleep(60000);
}

}  // namespace
