// Drives the framework demo program end to end under Wine: the dialog from
// its template, button handlers found through the message map, a modal
// dialog, a message box answered by the driver, a registered message, the
// timer and the exit code.

#include <gtest/gtest.h>

#include <string>

#include "tests/wine/driver/Driver.h"
#include "tests/wine/framework/DemoResource.h"

namespace {

constexpr DWORD kWindowTimeoutMs = 15000;
const std::wstring kDialogTitle = L"Telvane Framework Demo";

class FrameworkDemo : public ::testing::Test {
protected:
    void Start(const std::wstring& args) {
        program = driver::Program::Start(driver::ProgramFolder() + L"framework_demo.exe", args);
        ASSERT_TRUE(program) << "cannot start the demo: "
                             << std::string(program.Error().begin(), program.Error().end());
        dialog = driver::WaitForWindow(kDialogTitle, kWindowTimeoutMs, program.Id());
        ASSERT_NE(dialog, nullptr) << "the demo dialog did not appear";
        // The title exists from creation on; the dialog is shown once OnInitDialog has run.
        ASSERT_TRUE(driver::PollUntil(kWindowTimeoutMs, [this] { return driver::IsVisible(dialog); }));
    }

    // The status text once it equals `expected`, or what it was at the timeout.
    std::wstring StatusBecomes(const std::wstring& expected) {
        std::wstring text;
        for (int i = 0; i < 100; ++i) {
            text = driver::GetControlText(dialog, IDC_STATUS);
            if (text == expected) break;
            ::Sleep(50);
        }
        return text;
    }

    DWORD ExitCode() {
        DWORD code = 0xDEAD;
        EXPECT_TRUE(program.WaitForExit(kWindowTimeoutMs, &code)) << "the demo did not end";
        return code;
    }

    driver::Program program;
    HWND dialog = nullptr;
};

TEST_F(FrameworkDemo, DialogFromTemplateWithParsedCommandLineAndHiddenFrame) {
    Start(L"/x1 100 -installer");
    EXPECT_EQ(driver::GetControlText(dialog, IDC_STATUS), L"Ready");
    EXPECT_EQ(driver::GetControlText(dialog, IDC_PARAMS), L"switch x1; 100; switch installer (last)");
    EXPECT_TRUE(driver::IsVisible(dialog));

    HWND frame = driver::FindTopWindow(L"Telvane Demo Frame", program.Id());
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(driver::IsVisible(frame));

    // The 100 ms timer reaches OnTimer through the map.
    std::wstring ticks;
    for (int i = 0; i < 100 && (ticks == L"" || ticks == L"Ticks: 0" || ticks == L"Ticks: 1"); ++i) {
        ::Sleep(50);
        ticks = driver::GetControlText(dialog, IDC_TICKS);
    }
    EXPECT_NE(ticks, L"Ticks: 0");
    EXPECT_EQ(ticks.rfind(L"Ticks: ", 0), 0u) << std::string(ticks.begin(), ticks.end());

    const std::wstring shot = driver::ProgramFolder() + L"framework_demo.png";
    EXPECT_TRUE(driver::SaveScreenshot(dialog, shot));

    ASSERT_TRUE(driver::ClickControl(dialog, IDCANCEL));
    EXPECT_EQ(ExitCode(), 0u);
}

TEST_F(FrameworkDemo, ButtonHandlersAndTheRegisteredMessageChangeTheStatus) {
    Start(L"");
    EXPECT_EQ(driver::GetControlText(dialog, IDC_PARAMS), L"");

    ASSERT_TRUE(driver::ClickControl(dialog, IDC_HELLO));
    EXPECT_EQ(StatusBecomes(L"Hello from the message map"), L"Hello from the message map");

    ASSERT_TRUE(driver::PostRegisteredMessage(dialog, L"Telvane Demo Message", 12, 34));
    EXPECT_EQ(StatusBecomes(L"Registered message 12/34"), L"Registered message 12/34");

    // A message nobody registered under that name does nothing.
    ASSERT_TRUE(driver::PostRegisteredMessage(dialog, L"Some Other Message", 1, 2));
    ASSERT_TRUE(driver::ClickControl(dialog, IDC_HELLO));
    EXPECT_EQ(StatusBecomes(L"Hello from the message map"), L"Hello from the message map");

    ASSERT_TRUE(driver::ClickControl(dialog, IDCANCEL));
    EXPECT_EQ(ExitCode(), 0u);
}

TEST_F(FrameworkDemo, ModalDialogFromItsTemplate) {
    Start(L"");
    ASSERT_TRUE(driver::ClickControl(dialog, IDC_ABOUT));
    HWND about = driver::WaitForWindow(L"About the Demo", kWindowTimeoutMs, program.Id());
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(driver::GetControlText(about, IDC_ABOUT_TEXT), L"Made with the Telvane framework");
    ASSERT_TRUE(driver::ClickControl(about, IDOK));
    EXPECT_TRUE(driver::WaitForWindowGone(L"About the Demo", kWindowTimeoutMs));
    EXPECT_EQ(StatusBecomes(L"About closed with OK"), L"About closed with OK");

    ASSERT_TRUE(driver::ClickControl(dialog, IDCANCEL));
    EXPECT_EQ(ExitCode(), 0u);
}

TEST_F(FrameworkDemo, MessageBoxAnswerIsActedOn) {
    Start(L"");
    ASSERT_TRUE(driver::ClickControl(dialog, IDC_ASK));
    HWND box = driver::WaitForMessageBox(L"Telvane Message", kWindowTimeoutMs, program.Id());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(driver::MessageBoxText(box), L"Close the demo now?");
    ASSERT_TRUE(driver::PressButton(box, IDNO));
    EXPECT_EQ(StatusBecomes(L"You chose to stay"), L"You chose to stay");
    EXPECT_TRUE(program.IsRunning());

    ASSERT_TRUE(driver::ClickControl(dialog, IDC_ASK));
    box = driver::WaitForMessageBox(L"Telvane Message", kWindowTimeoutMs, program.Id());
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(driver::PressButton(box, IDYES));
    EXPECT_EQ(ExitCode(), 3u);
}

}  // namespace
