// The developer-console build: the frame shows the log, "Clear" empties it.

#include <gtest/gtest.h>

#include <string>

#include "tests/wine/app/RecorderRun.h"

namespace {

using namespace apptest;

constexpr int kLogControl = 12345;
constexpr int kClearCommand = 32819;

TEST(DevConsole, ShowsLogLinesAndClearEmptiesIt) {
    EndLeftovers();
    Started run = StartRecorder(L"", L"telvane_devconsole.exe");
    ASSERT_NE(run.recorder, nullptr);
    HWND frame = driver::FindTopWindow(L"Telvane", run.program.Id());
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(driver::IsVisible(frame));
    const RECT rect = driver::WindowRect(frame);
    EXPECT_EQ(rect.left, 100);
    EXPECT_EQ(rect.top, 100);
    EXPECT_EQ(rect.right, 600);
    EXPECT_EQ(rect.bottom, 500);

    // The first recorder tick logs the system information.
    std::wstring text;
    EXPECT_TRUE(driver::PollUntil(10000, [&] {
        text = driver::GetControlText(frame, kLogControl);
        return text.find(L"Number of processors: ") != std::wstring::npos;
    })) << Narrow(text);
    EXPECT_NE(text.find(L"Screen resolution: 1280x1024"), std::wstring::npos) << Narrow(text);

    ASSERT_TRUE(driver::SendMenuCommand(frame, kClearCommand));
    EXPECT_TRUE(driver::PollUntil(5000, [&] { return driver::GetControlText(frame, kLogControl).empty(); }));

    EXPECT_EQ(CloseRecorder(run), 0u);
    EndLeftovers();
}

}  // namespace
