// The recordings browser of the running recorder, over a prepared folder:
// the listed rows and their texts, sorting, rename, delete, convert
// (through a stand-in converter window in this process) and play (through
// a file association that records what the shell opened).

#include <gtest/gtest.h>

#include <shlobj.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "framework/win/Handles.h"
#include "tests/wine/app/RecorderRun.h"

namespace {

using namespace apptest;
using Rows = std::vector<std::vector<std::wstring>>;

constexpr int kList = 1130;
constexpr int kStatus = 1131;
constexpr int kChangeNameEdit = 1140;
constexpr int kRecordButton = 1215;
constexpr int kViewRecordings = 32983;
constexpr int kPlay = 34001;
constexpr int kConvert = 34003;
constexpr int kRename = 34004;
constexpr int kDelete = 34005;
constexpr wchar_t kBrowserTitle[] = L"Telvane recordings";
constexpr wchar_t kConverterKey[] = L"SOFTWARE\\Zorv Converter Pro";
constexpr wchar_t kPlayerClass[] = L"TelvaneTest.wmvfile";

std::wstring AppData() {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

// A file of `bytes` bytes last written at that local time.
void MakeFile(const std::wstring& path, size_t bytes, WORD month, WORD day, WORD hour, WORD minute) {
    ASSERT_TRUE(WriteAll(path, std::string(bytes, 'x'))) << Narrow(path);
    SYSTEMTIME local{2026, month, 0, day, hour, minute, 30, 0};
    FILETIME localTime{}, utc{};
    ASSERT_TRUE(::SystemTimeToFileTime(&local, &localTime));
    ASSERT_TRUE(::LocalFileTimeToFileTime(&localTime, &utc));
    win::Handle file(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    ASSERT_TRUE(::SetFileTime(file.Get(), nullptr, nullptr, &utc));
}

void SetStringValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    win::RegKey reg;
    ASSERT_EQ(::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, reg.Put(), nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExW(reg.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// The narrow short form of a path, as the list file holds it.
std::string ShortNarrow(const std::wstring& path) {
    wchar_t shortPath[MAX_PATH] = {};
    const DWORD length = ::GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    std::string narrow(length * 2 + 1, '\0');
    const int bytes = ::WideCharToMultiByte(CP_ACP, 0, shortPath, static_cast<int>(length), narrow.data(),
                                            static_cast<int>(narrow.size()), nullptr, nullptr);
    narrow.resize(static_cast<size_t>(bytes > 0 ? bytes : 0));
    return narrow;
}

// A stand-in for the converter: a window "ZVC" on a thread of this process
// that counts the "files to convert" messages it receives.
class FakeConverter {
public:
    FakeConverter() {
        m_thread = std::thread([this] { Run(); });
        driver::PollUntil(3000, [this] { return m_window.load() != nullptr; });
    }
    ~FakeConverter() {
        if (HWND window = m_window.load()) ::PostMessageW(window, WM_CLOSE, 0, 0);
        m_thread.join();
    }
    int Received() const { return s_received.load(); }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        static const UINT filesToConvert = ::RegisterWindowMessageW(L"files to convert");
        if (message == filesToConvert && wParam == 0 && lParam == 0) {
            ++s_received;
            return 1;
        }
        if (message == WM_DESTROY) ::PostQuitMessage(0);
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    void Run() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TelvaneFakeConverter";
        ::RegisterClassW(&wc);
        m_window = ::CreateWindowExW(0, wc.lpszClassName, L"ZVC", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                     wc.hInstance, nullptr);
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    }

    static inline std::atomic<int> s_received{0};
    std::atomic<HWND> m_window{nullptr};
    std::thread m_thread;
};

class Browser : public ::testing::Test {
protected:
    void SetUp() override {
        EndLeftovers();
        m_folder = driver::ProgramFolder() + L"browser_recordings";
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(m_folder), ignored);
        std::filesystem::create_directories(std::filesystem::path(m_folder + L"\\d.avi"));
        MakeFile(m_folder + L"\\a.WMV", 1572864, 6, 5, 14, 7);
        MakeFile(m_folder + L"\\b.mp4", 1, 6, 6, 9, 3);
        MakeFile(m_folder + L"\\c.txt", 10, 6, 7, 10, 0);
    }
    void TearDown() override {
        EndLeftovers();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kConverterKey);
        ::RegDeleteTreeW(HKEY_CLASSES_ROOT, kPlayerClass);
    }

    void Start(const std::wstring& exe = L"telvane.exe") {
        PrepareSettings({{"Recording Folder", Narrow(m_folder)}, {"MiniClone", "1"}, {"Size", "100"}});
        m_run = StartRecorder(L"", exe);
        ASSERT_NE(m_run.recorder, nullptr);
        WaitForDeferredInit();
    }
    HWND OpenBrowser() {
        EXPECT_TRUE(driver::SendMenuCommand(m_run.recorder, kViewRecordings));
        HWND browser = driver::WaitForWindow(kBrowserTitle, 5000, m_run.program.Id());
        // It shows once the list is filled.
        EXPECT_TRUE(driver::PollUntil(5000, [&] { return browser && driver::IsVisible(browser); }));
        return browser;
    }
    Rows RowsOf(HWND browser) { return driver::ListViewRows(browser, kList, 4); }
    // Answers the recorder's next message box with `button`; its text.
    std::wstring Answer(int button) {
        HWND box = driver::WaitForMessageBox(L"Telvane Message", 5000, m_run.program.Id());
        if (!box) return L"(no message)";
        const std::wstring text = driver::MessageBoxText(box);
        driver::PressButton(box, button);
        return text;
    }

    std::wstring m_folder;
    Started m_run;
};

TEST_F(Browser, ListsTheVideoFilesNewestFirstAndSortsByEachColumn) {
    Start();
    HWND browser = OpenBrowser();
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(driver::GetControlText(browser, kStatus), L"Saved recordings folder (" + m_folder + L")");
    EXPECT_EQ(RowsOf(browser),
              (Rows{{L"b.mp4", L"mp4", L"0.000", L"Jun/06 09:03"}, {L"a.WMV", L"WMV", L"1.500", L"Jun/05 14:07"}}));
    driver::SaveScreenshot(browser, driver::ProgramFolder() + L"browser.png");

    ASSERT_TRUE(driver::ClickListViewColumn(browser, kList, 0));
    EXPECT_TRUE(driver::PollUntil(2000, [&] { return RowsOf(browser).at(0).at(0) == L"a.WMV"; }));
    ASSERT_TRUE(driver::ClickListViewColumn(browser, kList, 2));
    EXPECT_TRUE(driver::PollUntil(2000, [&] { return RowsOf(browser).at(0).at(0) == L"b.mp4"; }));

    // One browser at a time.
    ASSERT_TRUE(driver::SendMenuCommand(m_run.recorder, kViewRecordings));
    ::Sleep(500);
    int browsers = 0;
    for (HWND w = ::FindWindowW(nullptr, kBrowserTitle); w; w = ::FindWindowExW(nullptr, w, nullptr, kBrowserTitle))
        ++browsers;
    EXPECT_EQ(browsers, 1);
}

TEST_F(Browser, RenamesARowAndRefusesAnExistingName) {
    Start();
    HWND browser = OpenBrowser();
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(driver::SelectListViewRows(browser, kList, {1}));

    ASSERT_TRUE(driver::SendMenuCommand(browser, kRename));
    HWND change = driver::WaitForWindow(L"Change Name", 5000, m_run.program.Id());
    driver::PollUntil(3000, [&] { return change && driver::IsVisible(change); });
    ASSERT_NE(change, nullptr);
    EXPECT_EQ(driver::GetControlText(change, kChangeNameEdit), L"a.WMV");
    EXPECT_EQ(driver::GetControlText(change, 1141), L"Do not delete or change the file extension");
    ASSERT_TRUE(driver::SetControlText(change, kChangeNameEdit, L"b.mp4"));
    ASSERT_TRUE(driver::ClickControl(change, IDOK));
    EXPECT_EQ(Answer(IDOK), L"Could not rename file");
    EXPECT_EQ(RowsOf(browser).at(1).at(0), L"a.WMV");
    EXPECT_TRUE(driver::FileExists(m_folder + L"\\a.WMV"));

    ASSERT_TRUE(driver::SendMenuCommand(browser, kRename));
    change = driver::WaitForWindow(L"Change Name", 5000, m_run.program.Id());
    driver::PollUntil(3000, [&] { return change && driver::IsVisible(change); });
    ASSERT_NE(change, nullptr);
    ASSERT_TRUE(driver::SetControlText(change, kChangeNameEdit, L"Call with Bob.WMV"));
    ASSERT_TRUE(driver::ClickControl(change, IDOK));
    EXPECT_TRUE(driver::PollUntil(3000, [&] { return RowsOf(browser).at(1).at(0) == L"Call with Bob.WMV"; }));
    EXPECT_TRUE(driver::FileExists(m_folder + L"\\Call with Bob.WMV"));
    EXPECT_FALSE(driver::FileExists(m_folder + L"\\a.WMV"));
}

TEST_F(Browser, DeletesTheSelectedFilesAfterAsking) {
    Start();
    HWND browser = OpenBrowser();
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(driver::SendMenuCommand(browser, kDelete));
    EXPECT_EQ(Answer(IDOK), L"No items selected");

    ASSERT_TRUE(driver::SelectListViewRows(browser, kList, {0, 1}));
    ASSERT_TRUE(driver::SendMenuCommand(browser, kDelete));
    EXPECT_EQ(Answer(IDNO), L"Permanently delete 2 file(s) ?");
    EXPECT_TRUE(driver::FileExists(m_folder + L"\\a.WMV"));

    ASSERT_TRUE(driver::SendMenuCommand(browser, kDelete));
    EXPECT_EQ(Answer(IDYES), L"Permanently delete 2 file(s) ?");
    EXPECT_TRUE(driver::PollUntil(3000, [&] { return RowsOf(browser).empty(); }));
    EXPECT_FALSE(driver::FileExists(m_folder + L"\\a.WMV"));
    EXPECT_FALSE(driver::FileExists(m_folder + L"\\b.mp4"));
    EXPECT_TRUE(driver::FileExists(m_folder + L"\\c.txt"));
}

TEST_F(Browser, HandsTheSelectedFilesToTheConverterWindow) {
    MakeFile(m_folder + L"\\Call with Alice Wonder.wmv", 100, 6, 8, 8, 0);
    SetStringValue(HKEY_CURRENT_USER, kConverterKey, L"Directory", L"C:\\Zorv Converter");
    const std::wstring listFile = AppData() + L"\\Zorv Recorder\\Convert.txt";
    ::DeleteFileW(listFile.c_str());
    FakeConverter converter;
    Start();
    HWND browser = OpenBrowser();
    ASSERT_NE(browser, nullptr);
    ASSERT_EQ(RowsOf(browser).size(), 3u);
    ASSERT_TRUE(driver::SelectListViewRows(browser, kList, {0, 2}));
    ASSERT_TRUE(driver::SendMenuCommand(browser, kConvert));

    EXPECT_TRUE(driver::PollUntil(5000, [&] { return converter.Received() == 1; }));
    EXPECT_TRUE(driver::WaitForWindowGone(kBrowserTitle, 3000));
    const std::string longFile = ShortNarrow(m_folder + L"\\Call with Alice Wonder.wmv");
    EXPECT_EQ(longFile.find("Call with"), std::string::npos) << longFile;  // the 8.3 form
    EXPECT_EQ(ReadAll(listFile), longFile + "\n" + ShortNarrow(m_folder + L"\\a.WMV") + "\n");
}

TEST_F(Browser, RefusesToConvertTheFileBeingRecorded) {
    SetStringValue(HKEY_CURRENT_USER, kConverterKey, L"Directory", L"C:\\Zorv Converter");
    Start(L"telvane_fakegraph.exe");
    ASSERT_TRUE(driver::ClickControl(m_run.recorder, kRecordButton));
    ASSERT_TRUE(
        driver::PollUntil(8000, [&] { return driver::GetControlText(m_run.recorder, kRecordButton) == L"STOP"; }));
    HWND browser = OpenBrowser();
    ASSERT_NE(browser, nullptr);
    const Rows rows = RowsOf(browser);
    ASSERT_EQ(rows.size(), 3u);
    ASSERT_TRUE(driver::SelectListViewRows(browser, kList, {0, 1, 2}));
    ASSERT_TRUE(driver::SendMenuCommand(browser, kConvert));
    EXPECT_EQ(Answer(IDOK), L"Recording must be finished.");
    EXPECT_NE(::FindWindowW(nullptr, kBrowserTitle), nullptr);
}

TEST_F(Browser, PlaysTheFileThroughTheShell) {
    const std::wstring played = driver::ProgramFolder() + L"browser_played.txt";
    ::DeleteFileW(played.c_str());
    SetStringValue(HKEY_CLASSES_ROOT, L".WMV", nullptr, kPlayerClass);
    SetStringValue(HKEY_CLASSES_ROOT, std::wstring(kPlayerClass) + L"\\shell\\open\\command", nullptr,
                   L"cmd.exe /c echo %1> \"" + played + L"\"");
    Start();
    HWND browser = OpenBrowser();
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(driver::SelectListViewRows(browser, kList, {1}));
    ASSERT_TRUE(driver::SendMenuCommand(browser, kPlay));
    EXPECT_TRUE(driver::WaitForWindowGone(kBrowserTitle, 3000));
    ASSERT_TRUE(driver::PollUntil(10000, [&] { return !ReadAll(played).empty(); }));
    EXPECT_NE(ReadAll(played).find(Narrow(m_folder + L"\\a.WMV")), std::string::npos) << ReadAll(played);
}

}  // namespace
