// MonitorDlg under Wine: its texts and enabling with one monitor and with
// two, OK storing the monitor and moving the capture region, "Reset
// markers" and Cancel, all checked in the settings file the host writes.

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "settings/MonitorDlgIds.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsText.h"
#include "tests/wine/driver/Driver.h"

namespace fs = std::filesystem;

namespace {

constexpr DWORD kTimeoutMs = 15000;
const std::wstring kTitle = L"Telvane - Select monitor";

class MonitorDialog : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::path(::testing::TempDir()) / L"telvane monitor";
        std::error_code error;
        fs::remove_all(folder, error);
        ASSERT_TRUE(fs::create_directories(folder));
        path = (folder / L"settings_qr.ini").wstring();
        record = SettingsRecord{};
        ASSERT_TRUE(CopyText(record.RecordingFolder, folder.wstring()));
        record.Protocol = 1;
        record.FrameRate = 25;
        record.Bitcount = 24;
        record.xTop = 150;
        record.yTop = 170;
        record.xBottom = 800;
        record.yBottom = 550;
        RECT rect{};
        ::GetWindowRect(::GetDesktopWindow(), &rect);
        desktop = rect;
    }
    void TearDown() override {
        program.End();
        std::error_code error;
        fs::remove_all(folder, error);
    }

    void Start(const std::wstring& extra = L"") {
        const std::string text = FormatSettingsText(record);
        ASSERT_TRUE(driver::WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end())));
        program = driver::Program::Start(driver::ProgramFolder() + L"monitor_host.exe", L"\"" + path + L"\"" + extra);
        ASSERT_TRUE(program) << std::string(program.Error().begin(), program.Error().end());
        dialog = driver::WaitForWindow(kTitle, kTimeoutMs, program.Id());
        ASSERT_NE(dialog, nullptr) << "the monitor dialog did not appear";
        ASSERT_TRUE(driver::PollUntil(kTimeoutMs, [this] { return driver::IsVisible(dialog); }));
    }

    void Finish() {
        DWORD code = 0xDEAD;
        ASSERT_TRUE(program.WaitForExit(kTimeoutMs, &code)) << "the host did not end";
        EXPECT_EQ(code, 0u);
    }

    std::string FileText(const std::wstring& file) {
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(driver::ReadFileBytes(file, &bytes));
        return std::string(bytes.begin(), bytes.end());
    }
    std::string Report() { return FileText(path + L".report"); }
    // The number on the line of that key in the settings file; -99999 when
    // the line is missing.
    int Value(const std::string& key) {
        const std::string text = FileText(path);
        const std::size_t at = text.find("\r\n" + key + ": ");
        if (at == std::string::npos) return -99999;
        return std::atoi(text.c_str() + at + 2 + key.size() + 2);
    }

    fs::path folder;
    std::wstring path;
    SettingsRecord record;
    RECT desktop{};
    driver::Program program;
    HWND dialog = nullptr;
};

TEST_F(MonitorDialog, OneMonitorOkWithMonitorOnePlacesTheRegionOnTheDesktop) {
    record.Monitor = 0;
    Start();
    EXPECT_EQ(driver::GetControlText(dialog, IDC_MON_MONITOR1), L" Monitor 1");
    EXPECT_EQ(driver::GetControlText(dialog, IDC_MON_MONITOR2), L" Monitor 2");
    EXPECT_TRUE(driver::IsControlEnabled(dialog, IDC_MON_MONITOR1));
    EXPECT_FALSE(driver::IsControlEnabled(dialog, IDC_MON_MONITOR2));
    EXPECT_EQ(driver::GetControlText(dialog, IDC_MON_TEXT2), L"Not detected");
    EXPECT_FALSE(driver::IsControlEnabled(dialog, IDC_MON_TEXT2));
    const std::wstring size =
        std::to_wstring(desktop.right - desktop.left) + L"x" + std::to_wstring(desktop.bottom - desktop.top);
    EXPECT_EQ(driver::GetControlText(dialog, IDC_MON_TEXT1), L"(resolution: " + size + L" scale: 100%)");
    EXPECT_EQ(driver::GetControlText(dialog, IDC_MON_MAIN_DISPLAY), L"Monitor #1 is the main display");
    EXPECT_EQ(driver::GetControlText(dialog, IDC_MON_SCALE_LABEL), L"Scale factor for the Background mode");
    EXPECT_FALSE(driver::IsControlEnabled(dialog, IDC_MON_SCALE_LABEL));
    EXPECT_FALSE(driver::IsControlEnabled(dialog, IDC_MON_SCALE));
    EXPECT_EQ(driver::GetControlText(dialog, IDC_MON_SCALE), L"100");
    EXPECT_EQ(driver::GetControlText(dialog, IDC_MON_RESET_MARKERS), L"Reset markers");
    EXPECT_FALSE(driver::IsControlChecked(dialog, IDC_MON_MONITOR1));
    EXPECT_FALSE(driver::IsControlChecked(dialog, IDC_MON_MONITOR2));
    driver::SaveScreenshot(dialog, driver::ProgramFolder() + L"monitor_dialog.png");

    // Nothing checked: told so, and the dialog stays.
    ASSERT_TRUE(driver::ClickControl(dialog, IDOK));
    HWND box = driver::WaitForMessageBox(L"Telvane Message", kTimeoutMs, program.Id());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(driver::MessageBoxText(box), L"Please select a monitor");
    ASSERT_TRUE(driver::PressButton(box, IDOK));
    EXPECT_TRUE(driver::IsVisible(dialog));
    EXPECT_EQ(Value("Monitor"), 0);

    ASSERT_TRUE(driver::ClickControl(dialog, IDC_MON_MONITOR1));
    ASSERT_TRUE(driver::PollUntil(kTimeoutMs, [this] { return driver::IsControlChecked(dialog, IDC_MON_MONITOR1); }));
    ASSERT_TRUE(driver::ClickControl(dialog, IDOK));
    Finish();
    EXPECT_EQ(Value("Monitor"), 1);
    EXPECT_EQ(Value("FullScreen"), 0);
    EXPECT_EQ(Value("xTop"), desktop.left + 100);
    EXPECT_EQ(Value("yTop"), desktop.top + 100);
    EXPECT_EQ(Value("xBottom"), desktop.left + 600);
    EXPECT_EQ(Value("yBottom"), desktop.top + 500);
    EXPECT_EQ(Value("Scale"), 0);
    EXPECT_EQ(Report(), "result 1 scans 1 previews 2 refreshes 0");
}

TEST_F(MonitorDialog, TwoMonitorsOkWithMonitorTwoStoresTheScaleAndTheWholeMonitor) {
    record.Monitor = 1;
    record.FullScreen = 1;
    Start(L" two");
    EXPECT_TRUE(driver::IsControlEnabled(dialog, IDC_MON_MONITOR2));
    EXPECT_TRUE(driver::IsControlChecked(dialog, IDC_MON_MONITOR1));
    EXPECT_EQ(driver::GetControlText(dialog, IDC_MON_TEXT2), L"(resolution: 1280x1024 scale: 150%)");
    EXPECT_TRUE(driver::IsControlEnabled(dialog, IDC_MON_SCALE_LABEL));
    EXPECT_TRUE(driver::IsControlEnabled(dialog, IDC_MON_SCALE));
    EXPECT_EQ(driver::GetControlText(dialog, IDC_MON_SCALE), L"150");

    ASSERT_TRUE(driver::SetControlText(dialog, IDC_MON_SCALE, L"125"));
    ASSERT_TRUE(driver::ClickControl(dialog, IDC_MON_MONITOR2));
    ASSERT_TRUE(driver::PollUntil(kTimeoutMs, [this] { return driver::IsControlChecked(dialog, IDC_MON_MONITOR2); }));
    EXPECT_FALSE(driver::IsControlChecked(dialog, IDC_MON_MONITOR1));
    ASSERT_TRUE(driver::ClickControl(dialog, IDOK));
    Finish();
    EXPECT_EQ(Value("Monitor"), 2);
    EXPECT_EQ(Value("Scale"), 125);
    EXPECT_EQ(Value("FullScreen"), 2);
    EXPECT_EQ(Value("xTop"), desktop.right);
    EXPECT_EQ(Value("yTop"), 0);
    EXPECT_EQ(Value("xBottom"), desktop.right + 1280);
    EXPECT_EQ(Value("yBottom"), 1024);
    EXPECT_EQ(Report(), "result 1 scans 1 previews 2 refreshes 0");
}

TEST_F(MonitorDialog, ResetMarkersPutsTheDefaultRegionBack) {
    record.Monitor = 1;
    record.FullScreen = 1;
    Start();
    ASSERT_TRUE(driver::ClickControl(dialog, IDC_MON_RESET_MARKERS));
    Finish();
    EXPECT_EQ(Value("FullScreen"), 0);
    EXPECT_EQ(Value("xTop"), 200);
    EXPECT_EQ(Value("yTop"), 200);
    EXPECT_EQ(Value("xBottom"), 800);
    EXPECT_EQ(Value("yBottom"), 600);
    EXPECT_EQ(Value("Monitor"), 1);
    EXPECT_EQ(Report(), "result 100 scans 0 previews 0 refreshes 1");
}

TEST_F(MonitorDialog, CancelChangesNothing) {
    record.Monitor = 1;
    Start();
    const std::string before = FileText(path);
    ASSERT_TRUE(driver::ClickControl(dialog, IDC_MON_MONITOR1));
    ASSERT_TRUE(driver::ClickControl(dialog, IDCANCEL));
    Finish();
    EXPECT_EQ(FileText(path), before);
    EXPECT_EQ(Report(), "result 2 scans 0 previews 0 refreshes 0");
}

}  // namespace
