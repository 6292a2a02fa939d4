// The recorder's start-up and end under Wine: the settings folder on a
// first start, the splash, the windows it makes, the restore helper, the
// single instance, the installer's reset, and a clean close.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/wine/app/RecorderRun.h"

namespace {

using namespace apptest;

// Where sonark5 registers itself.
constexpr wchar_t kSonarkKey[] = L"CLSID\\{AB06B942-DC91-457E-97EF-D0076E8669DA}\\InprocServer32";

std::wstring SonarkServerPath() {
    wchar_t path[MAX_PATH] = {};
    LONG size = sizeof(path);
    if (::RegQueryValueW(HKEY_CLASSES_ROOT, kSonarkKey, path, &size) != ERROR_SUCCESS) return std::wstring();
    return path;
}

std::string LineOf(const std::string& text, const std::string& key) {
    const size_t at = text.find("\r\n" + key);
    if (at == std::string::npos) return std::string();
    const size_t end = text.find("\r\n", at + 2);
    return text.substr(at + 2, end - at - 2);
}

class RecorderStartup : public ::testing::Test {
protected:
    void SetUp() override { EndLeftovers(); }
    void TearDown() override { EndLeftovers(); }
};

TEST_F(RecorderStartup, FirstStartPreparesTheSettingsFolderAndEndsCleanly) {
    RemoveSettingsFolder();
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L"CLSID\\{AB06B942-DC91-457E-97EF-D0076E8669DA}");
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(DefaultRecordingsFolder()), ignored);

    driver::Program program = driver::Program::Start(driver::ProductFolder() + L"telvane.exe", L"");
    ASSERT_TRUE(program) << Narrow(program.Error());

    // The splash: a captionless dialog of 425 x 159 that goes by itself.
    HWND splash = nullptr;
    ASSERT_TRUE(driver::PollUntil(10000, [&] {
        splash = driver::FindTopWindow(L"", program.Id(), driver::kDialogClass);
        return splash && driver::IsVisible(splash);
    })) << "no splash";
    const RECT splashRect = driver::WindowRect(splash);
    EXPECT_EQ(splashRect.right - splashRect.left, 425);
    EXPECT_EQ(splashRect.bottom - splashRect.top, 159);
    const ULONGLONG shown = ::GetTickCount64();
    EXPECT_TRUE(driver::PollUntil(6000, [&] { return !::IsWindow(splash); })) << "the splash stayed";
    // Two ticks of one second: a lost or late tick makes it three or more.
    EXPECT_LT(::GetTickCount64() - shown, 2800u) << "the splash outlived its two ticks";

    HWND recorder = nullptr;
    ASSERT_TRUE(driver::PollUntil(kStartTimeoutMs, [&] {
        recorder = driver::FindTopWindow(L"Quorra", program.Id(), driver::kDialogClass);
        return recorder != nullptr;
    }));
    // Titled from its initialisation on, shown at its end.
    EXPECT_TRUE(driver::PollUntil(5000, [&] { return driver::IsVisible(recorder); }));
    HWND frame = driver::FindTopWindow(L"Telvane", program.Id());
    ASSERT_NE(frame, nullptr) << "no hidden frame";
    const RECT frameRect = driver::WindowRect(frame);
    EXPECT_LE(frameRect.right, -10000) << "the frame must stay off-screen";
    EXPECT_NE(driver::WaitForWindow(L"QrRestore", 5000), nullptr) << "the restore helper is not running";

    WaitForDeferredInit();
    EXPECT_EQ(driver::FindTopWindow(L"Telvane Message", program.Id(), driver::kDialogClass), nullptr)
        << "start-up showed a message";
    // ".\\registerw.bat" registered the filter beside the program.
    EXPECT_EQ(SonarkServerPath(), driver::ProductFolder() + L"sonark5.ax");

    const std::string settings = ReadAll(SettingsFile());
    ASSERT_FALSE(settings.empty()) << "no " << Narrow(SettingsFile());
    EXPECT_EQ(settings.rfind("Telvane Settings -- Do not delete or alter\r\n", 0), 0u);
    EXPECT_EQ(LineOf(settings, "Setup: "), "Setup: 1");
    EXPECT_EQ(LineOf(settings, "Recording Folder: "), "Recording Folder: " + Narrow(DefaultRecordingsFolder()));
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(DefaultRecordingsFolder())));
    for (const wchar_t* skin : {L"bitmap7.bmp", L"bitmap7_100.bmp"}) {
        const std::string shipped = ReadAll(driver::ProductFolder() + skin);
        ASSERT_FALSE(shipped.empty());
        EXPECT_EQ(ReadAll(SettingsFolder() + L"\\" + skin), shipped) << Narrow(skin);
    }

    // Closing writes nothing: every setting was written when it changed.
    Started run{std::move(program), recorder};
    EXPECT_EQ(CloseRecorder(run), 0u);
    EXPECT_EQ(ReadAll(SettingsFile()), settings);
    EXPECT_TRUE(driver::WaitForWindowGone(L"QrRestore", 5000)) << "the restore helper outlived the recorder";
}

TEST_F(RecorderStartup, SecondCopyIsRefusedAndTheFirstKeepsRunning) {
    Started first = StartRecorder();
    ASSERT_NE(first.recorder, nullptr);

    driver::Program second = driver::Program::Start(driver::ProductFolder() + L"telvane.exe", L"");
    ASSERT_TRUE(second);
    HWND box = driver::WaitForMessageBox(L"Telvane Message", 10000, second.Id());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(driver::MessageBoxText(box), L"Telvane is already running");
    ASSERT_TRUE(driver::PressButton(box, IDOK));
    DWORD code = 0xFFFFFFFF;
    ASSERT_TRUE(second.WaitForExit(10000, &code));
    EXPECT_EQ(code, 0u);

    EXPECT_TRUE(first.program.IsRunning());
    EXPECT_TRUE(::IsWindow(first.recorder));
    EXPECT_EQ(CloseRecorder(first), 0u);
}

TEST_F(RecorderStartup, InstallerSwitchRestoresTheInitialSettings) {
    {
        Started run = StartRecorder();
        ASSERT_NE(run.recorder, nullptr);
        WaitForDeferredInit();
        ASSERT_EQ(CloseRecorder(run), 0u);
    }
    std::string settings = ReadAll(SettingsFile());
    const size_t at = settings.find("\r\nSize: 100\r\n");
    ASSERT_NE(at, std::string::npos);
    settings.replace(at, 13, "\r\nSize: 125\r\n");
    ASSERT_TRUE(WriteAll(SettingsFile(), settings));

    {
        // A normal start keeps what the user chose.
        Started run = StartRecorder();
        ASSERT_NE(run.recorder, nullptr);
        WaitForDeferredInit();
        ASSERT_EQ(CloseRecorder(run), 0u);
        EXPECT_EQ(LineOf(ReadAll(SettingsFile()), "Size: "), "Size: 125");
    }
    {
        Started run = StartRecorder(L"/installer");
        ASSERT_NE(run.recorder, nullptr);
        WaitForDeferredInit();
        ASSERT_EQ(CloseRecorder(run), 0u);
        const std::string restored = ReadAll(SettingsFile());
        EXPECT_EQ(LineOf(restored, "Size: "), "Size: 100");
        EXPECT_EQ(LineOf(restored, "Setup: "), "Setup: 1");
    }
}

}  // namespace
