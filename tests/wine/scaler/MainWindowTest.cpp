// The scaler's hidden window in this process: created hidden as "Bitmaps"
// with its edit control, it runs the job on its first timer tick and shows
// the result line there before the program would end.

#include "scaler/MainWindow.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "scaler/BitmapEx.h"
#include "scaler/Win32ScalerFiles.h"
#include "tests/wine/driver/Driver.h"

namespace {

class ScalerWindow : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        ASSERT_NE(::GetTempPathW(MAX_PATH, temp), 0u);
        folder = std::wstring(temp) + L"telvane scaler window " + std::to_wstring(::GetCurrentProcessId());
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
    }
    void TearDown() override {
        for (const wchar_t* name : {L"\\bitmap7_100.bmp", L"\\bitmap7_rsc.bmp", L"\\bitmap7_rsc.bmp.tmp"})
            ::DeleteFileW((folder + name).c_str());
        EXPECT_TRUE(::RemoveDirectoryW(folder.c_str()));
    }

    // Creates the window, pumps messages until the job has run (bounded) and
    // returns the edit control's text.
    std::wstring RunWindow(int scale) {
        bool finished = false;
        scaler::MainWindow window(files, folder + L"\\bitmap7_100.bmp", scale, [&] { finished = true; });
        EXPECT_TRUE(window.CreateHidden(nullptr));
        HWND hwnd = window.GetSafeHwnd();
        EXPECT_EQ(driver::GetText(hwnd), L"Bitmaps");
        const DWORD start = ::GetTickCount();
        while (!finished && ::GetTickCount() - start < 5000) {
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
            if (!finished) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        EXPECT_TRUE(finished) << "the timer never started the job";
        EXPECT_FALSE(::IsWindowVisible(hwnd));
        HWND edit = ::GetDlgItem(hwnd, scaler::MainWindow::kEditId);
        EXPECT_NE(edit, nullptr);
        RECT client{}, editRect{};
        ::GetClientRect(hwnd, &client);
        ::GetWindowRect(edit, &editRect);
        EXPECT_EQ(editRect.right - editRect.left, client.right - client.left) << "the edit fills the client area";
        EXPECT_EQ(editRect.bottom - editRect.top, client.bottom - client.top);
        return CWnd::WindowTextOf(edit);
    }

    std::wstring folder;
    scaler::Win32ScalerFiles files;
};

TEST_F(ScalerWindow, ShowsTheOkLineAndWritesTheScaledSkin) {
    // 2 x 2 grey image, bottom row 0 200, top row 100 40 (24 bits, rows padded to 8 bytes).
    std::vector<uint8_t> bmp(54, 0);
    const uint8_t header[] = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40,
                              0,   0,   0,  2, 0, 0, 0, 2, 0, 0, 0,  1, 0, 24};
    std::copy(std::begin(header), std::end(header), bmp.begin());
    for (uint8_t v : {0, 0, 0, 200, 200, 200, 0, 0, 100, 100, 100, 40, 40, 40, 0, 0}) bmp.push_back(v);
    ASSERT_TRUE(driver::WriteFileBytes(folder + L"\\bitmap7_100.bmp", bmp));

    EXPECT_EQ(RunWindow(0), folder + L"\\bitmap7_rsc.bmp OK. size=150\r\n");
    std::vector<uint8_t> out;
    ASSERT_TRUE(driver::ReadFileBytes(folder + L"\\bitmap7_rsc.bmp", &out));
    scaler::CBitmapEx scaled;
    ASSERT_EQ(scaled.LoadFromBytes(out), scaler::kNoError);
    ASSERT_EQ(scaled.Width(), 3);
    ASSERT_EQ(scaled.Height(), 3);
    EXPECT_EQ(scaled.Pixel(1, 1), 0x545454u);
    EXPECT_EQ(scaled.Pixel(2, 1), 0x7F7F7Fu);
}

TEST_F(ScalerWindow, ShowsErrorTwoForAMissingMaster) {
    EXPECT_EQ(RunWindow(125), folder + L"\\bitmap7_rsc.bmp error=2. size=125\r\n");
    EXPECT_FALSE(driver::FileExists(folder + L"\\bitmap7_rsc.bmp"));
}

}  // namespace
