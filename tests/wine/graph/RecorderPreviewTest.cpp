// telvane.exe shows the capture region live: started with "ShowVideo" 1,
// the recorder builds its preview after the deferred start-up, and the
// "Video Renderer"'s window sits in the recorder window "Quorra" where the
// layout puts it, showing what is on the screen under the capture region (a
// window of four known colours that this test paints there). With
// "ShowVideo" 0 no video window appears. Screenshots of the recorder with
// its live preview go to the tests folder's screenshots.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/services/Geometry.h"
#include "app/window/WinDlgLayout.h"
#include "graph/ClonePreviewPlacement.h"
#include "tests/wine/app/RecorderRun.h"

namespace {

using namespace apptest;

constexpr int kStatus = 118;
// The recorder's own controls; any other child is the preview's window.
const std::set<int> kRecorderControls = {1232, 1234, 1236, 311, 1215, 308, 309, kStatus};

// The capture region, 320 x 240, away from the recorder window.
constexpr RECT kRegion = {40, 40, 360, 280};

struct Colour {
    BYTE r, g, b;
};
// Top left, top right, bottom left, bottom right.
constexpr Colour kQuadrants[4] = {{220, 30, 30}, {30, 200, 40}, {30, 60, 220}, {240, 220, 20}};

LRESULT CALLBACK PaintQuadrants(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return ::DefWindowProcW(window, message, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(window, &ps);
    RECT client{};
    ::GetClientRect(window, &client);
    const int midX = client.right / 2, midY = client.bottom / 2;
    const RECT parts[4] = {{0, 0, midX, midY},
                           {midX, 0, client.right, midY},
                           {0, midY, midX, client.bottom},
                           {midX, midY, client.right, client.bottom}};
    for (int i = 0; i < 4; ++i) {
        HBRUSH brush = ::CreateSolidBrush(RGB(kQuadrants[i].r, kQuadrants[i].g, kQuadrants[i].b));
        ::FillRect(dc, &parts[i], brush);
        ::DeleteObject(brush);
    }
    ::EndPaint(window, &ps);
    return 0;
}

// A pop-up over the capture region painted in four colours, run by its own
// thread so it repaints while the test waits.
class ColourBoard {
public:
    ColourBoard() {
        m_thread = std::thread([this] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = PaintQuadrants;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = L"TelvanePreviewColourBoard";
            ::RegisterClassW(&wc);
            HWND window =
                ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"Colour board",
                                  WS_POPUP | WS_VISIBLE, kRegion.left, kRegion.top, kRegion.right - kRegion.left,
                                  kRegion.bottom - kRegion.top, nullptr, nullptr, wc.hInstance, nullptr);
            ::UpdateWindow(window);
            m_threadId = ::GetCurrentThreadId();
            m_ready = true;
            MSG msg;
            while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
            ::DestroyWindow(window);
        });
        driver::PollUntil(5000, [this] { return m_ready.load(); });
    }
    ~ColourBoard() {
        ::PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
    }
    ColourBoard(const ColourBoard&) = delete;
    ColourBoard& operator=(const ColourBoard&) = delete;

private:
    std::thread m_thread;
    std::atomic<bool> m_ready{false};
    DWORD m_threadId = 0;
};

std::vector<HWND> VideoChildren(HWND recorder) {
    std::vector<HWND> found;
    for (HWND child = ::GetWindow(recorder, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (!kRecorderControls.count(::GetDlgCtrlID(child))) found.push_back(child);
    return found;
}

ScreenRect ClientRectOf(HWND recorder, HWND child) {
    RECT r = driver::WindowRect(child);
    ::MapWindowPoints(nullptr, recorder, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right, r.bottom};
}

// Whether the pixel is within a small distance of the colour: the renderer
// stretches the picture, blending neighbours only at the edges.
bool Near(const driver::RgbImage& image, int x, int y, const Colour& c) {
    const size_t at = (static_cast<size_t>(y) * image.width + x) * 3;
    const auto close = [](int a, int b) { return a - b < 24 && b - a < 24; };
    return close(image.rgb[at], c.r) && close(image.rgb[at + 1], c.g) && close(image.rgb[at + 2], c.b);
}

std::string PixelText(const driver::RgbImage& image, int x, int y) {
    const size_t at = (static_cast<size_t>(y) * image.width + x) * 3;
    return std::to_string(image.rgb[at]) + "," + std::to_string(image.rgb[at + 1]) + "," +
           std::to_string(image.rgb[at + 2]);
}

class RecorderPreview : public ::testing::Test {
protected:
    void SetUp() override { EndLeftovers(); }
    void TearDown() override { EndLeftovers(); }

    void Prepare(int miniClone, int size, int showVideo, const std::string& position) {
        PrepareSettings({{"MiniClone", std::to_string(miniClone)},
                         {"Size", std::to_string(size)},
                         {"ShowVideo", std::to_string(showVideo)},
                         {"Position", position},
                         {"xTop", std::to_string(kRegion.left)},
                         {"yTop", std::to_string(kRegion.top)},
                         {"xBottom", std::to_string(kRegion.right)},
                         {"yBottom", std::to_string(kRegion.bottom)},
                         {"FullScreen", "0"},
                         {"AutoMark", "0"},
                         {"Cursor", "0"}});
    }
};

TEST_F(RecorderPreview, ShowVideoPutsTheLiveRegionIntoTheRecorderWindow) {
    const struct {
        int miniClone;
        int size;
        const char* position;
        const wchar_t* screenshot;
    } cases[] = {
        {1, 100, "700,600", L"clone_preview_small.png"},
        {0, 150, "300,500", L"clone_preview_large_150.png"},
    };
    ColourBoard board;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "MiniClone " << c.miniClone << ", Size " << c.size);
        Prepare(c.miniClone, c.size, 1, c.position);
        Started run = StartRecorder();
        ASSERT_NE(run.recorder, nullptr);
        WaitForDeferredInit();

        std::vector<HWND> video;
        ASSERT_TRUE(driver::PollUntil(15000,
                                      [&] {
                                          video = VideoChildren(run.recorder);
                                          return video.size() == 1 && driver::IsVisible(video[0]);
                                      }))
            << video.size() << " video windows";
        EXPECT_EQ(::GetParent(video[0]), run.recorder);
        const LONG childStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
        EXPECT_EQ(::GetWindowLongW(video[0], GWL_STYLE) & childStyle, childStyle);

        RECT client{};
        ::GetClientRect(run.recorder, &client);
        int statusHeight = 0;
        if (HWND status = ::GetDlgItem(run.recorder, kStatus)) {
            const RECT s = driver::WindowRect(status);
            statusHeight = s.bottom - s.top;
        }
        const ScreenRect expected = ClonePreviewRect(
            c.miniClone, client.right, client.bottom, UiScale(c.size),
            ComputeSmallLayout(client.right, client.bottom, UiScale(c.size)).record.bottom, statusHeight);
        const ScreenRect placed = ClientRectOf(run.recorder, video[0]);
        EXPECT_EQ(placed, expected);
        if (c.miniClone == 0) {
            EXPECT_EQ(placed, (ScreenRect{292, 58, 292 + 451, 58 + 205}));
        }
        if (c.miniClone != 0) {
            // From the bottom of the button row to the top of the status line.
            const SmallLayout layout = ComputeSmallLayout(client.right, client.bottom, UiScale(c.size));
            EXPECT_EQ(placed.top, layout.record.bottom);
            EXPECT_EQ(placed.bottom, layout.status.top);
        }

        // The four colours under the region show in the same quadrants of
        // the video window, read from the screen.
        const RECT onScreen = driver::WindowRect(video[0]);
        driver::RgbImage image;
        bool shown = false;
        driver::PollUntil(10000, [&] {
            if (!driver::CaptureScreenRect(onScreen, &image)) return false;
            const int w = image.width, h = image.height;
            const int xs[4] = {w / 4, 3 * w / 4, w / 4, 3 * w / 4};
            const int ys[4] = {h / 4, h / 4, 3 * h / 4, 3 * h / 4};
            shown = true;
            for (int i = 0; i < 4; ++i) shown = shown && Near(image, xs[i], ys[i], kQuadrants[i]);
            return shown;
        });
        ASSERT_TRUE(driver::IsWellFormed(image));
        EXPECT_TRUE(shown) << "top left " << PixelText(image, image.width / 4, image.height / 4) << ", top right "
                           << PixelText(image, 3 * image.width / 4, image.height / 4) << ", bottom left "
                           << PixelText(image, image.width / 4, 3 * image.height / 4) << ", bottom right "
                           << PixelText(image, 3 * image.width / 4, 3 * image.height / 4);
        ::CreateDirectoryW((driver::ProgramFolder() + L"screenshots").c_str(), nullptr);
        EXPECT_TRUE(driver::SaveScreenshot(run.recorder, driver::ProgramFolder() + L"screenshots\\" + c.screenshot));
        EXPECT_EQ(CloseRecorder(run), 0u);
    }
}

TEST_F(RecorderPreview, ShowVideoOffBuildsNoVideoWindow) {
    for (const int miniClone : {1, 0}) {
        SCOPED_TRACE(miniClone);
        Prepare(miniClone, 100, 0, "700,600");
        Started run = StartRecorder();
        ASSERT_NE(run.recorder, nullptr);
        WaitForDeferredInit();
        // Time for a preview to have appeared, had one been built.
        ::Sleep(3000);
        EXPECT_TRUE(VideoChildren(run.recorder).empty());
        EXPECT_EQ(CloseRecorder(run), 0u);
    }
}

}  // namespace
