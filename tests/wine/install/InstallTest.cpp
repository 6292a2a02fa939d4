// The Windows installer in a fresh prefix (install_test.sh runs the cases
// in order, with the installed copy's recording in between): a silent
// install puts exactly the shipped files into Program Files, registers both
// filters there and makes the shortcuts to the launcher; a silent uninstall
// takes all of it away and leaves the recordings and the settings, which
// only /RemoveSettings (the uninstaller's box) removes.
//
// TELVANE_SETUP is the installer, TELVANE_SHIPPED the list of shipped files
// (Windows paths).

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which they need.
#include <shlobj.h>
#include <shobjidl.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "framework/base/ComPtr.h"
#include "framework/win/Handles.h"
#include "graph/ScreenCaptureSettings.h"
#include "tests/wine/app/RecorderRun.h"

extern "C" const CLSID CLSID_Sonark5;

namespace fs = std::filesystem;

namespace {

using namespace apptest;

constexpr DWORD kSetupTimeoutMs = 120000;
constexpr wchar_t kFolder[] = L"C:\\Program Files\\Telvane";
// DirectShow's category of ordinary filters, where the screen-capture
// filter's registration lists it (the audio filter is a COM class only).
constexpr wchar_t kFilterCategory[] = L"CLSID\\{083863F1-70DE-11d0-BD40-00A0C911CE86}\\Instance\\";

std::wstring Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::wstring(value, value + std::strlen(value)) : std::wstring();
}

std::wstring GuidText(REFCLSID clsid) {
    wchar_t text[64] = {};
    ::StringFromGUID2(clsid, text, 64);
    return text;
}

bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

// The key's default or named text value; "(none)" when it is missing.
std::wstring RegText(HKEY root, const std::wstring& path, const wchar_t* name = nullptr) {
    wchar_t value[1024] = {};
    DWORD size = sizeof value;
    if (::RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return L"(none)";
    return value;
}

std::wstring KnownFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : L"";
}

// Where a shortcut points; "(unreadable)" when it cannot be loaded.
std::wstring ShortcutTarget(const std::wstring& link) {
    win::ScopedComApartment com(COINIT_APARTMENTTHREADED);
    ComPtr<IShellLinkW> shortcut;
    ComPtr<IPersistFile> file;
    wchar_t target[MAX_PATH] = {};
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&shortcut))) ||
        FAILED(shortcut->QueryInterface(IID_PPV_ARGS(&file))) || FAILED(file->Load(link.c_str(), STGM_READ)) ||
        FAILED(shortcut->GetPath(target, MAX_PATH, nullptr, 0)))
        return L"(unreadable)";
    return target;
}

std::wstring StartMenuFolder() { return KnownFolder(CSIDL_COMMON_PROGRAMS) + L"\\Telvane"; }
std::wstring DesktopShortcut() { return KnownFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"\\Telvane.lnk"; }

std::set<std::wstring> ShippedFiles() {
    std::set<std::wstring> names;
    std::wifstream list{fs::path(Env("TELVANE_SHIPPED"))};
    for (std::wstring line; std::getline(list, line);) {
        while (!line.empty() && (line.back() == L'\r' || line.back() == L' ')) line.pop_back();
        if (!line.empty() && line[0] != L'#') names.insert(line);
    }
    return names;
}

std::set<std::wstring> FilesIn(const std::wstring& folder) {
    std::set<std::wstring> names;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(fs::path(folder), ignored))
        names.insert(entry.path().filename().wstring());
    return names;
}

// Runs a setup program and returns its exit code (0xFFFFFFFF: it did not end).
DWORD RunSetup(const std::wstring& path, const std::wstring& args) {
    driver::Program setup = driver::Program::Start(path, args);
    EXPECT_TRUE(setup) << Narrow(setup.Error());
    DWORD code = 0xFFFFFFFF;
    setup.WaitForExit(kSetupTimeoutMs, &code);
    return code;
}

void Install() {
    const std::wstring setup = Env("TELVANE_SETUP");
    ASSERT_TRUE(fs::is_regular_file(fs::path(setup))) << "no installer at " << Narrow(setup);
    ASSERT_EQ(RunSetup(setup, L"/S"), 0u);
}

// The uninstaller copies itself into the temporary folder ("Un.exe" of
// NSIS 3, "Au_.exe" of older ones), starts the copy and ends at once: the
// work is done when the copy has ended. False on timeout.
bool WaitForUninstallerCopy(DWORD timeoutMs) {
    return driver::PollUntil(timeoutMs, [] {
        win::Handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        if (!snapshot) return false;
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more;
             more = ::Process32NextW(snapshot.Get(), &entry))
            if (::lstrcmpiW(entry.szExeFile, L"Un.exe") == 0 || ::lstrcmpiW(entry.szExeFile, L"Au_.exe") == 0)
                return false;
        return true;
    });
}

void Uninstall(const std::wstring& args) {
    ASSERT_EQ(RunSetup(std::wstring(kFolder) + L"\\uninstall.exe", args), 0u);
    EXPECT_TRUE(WaitForUninstallerCopy(kSetupTimeoutMs)) << "the uninstaller did not end";
}

std::wstring ServerKey(REFCLSID clsid) { return L"CLSID\\" + GuidText(clsid) + L"\\InprocServer32"; }

TEST(Installer, InstallsTheProductFiltersAndShortcuts) {
    EndLeftovers();
    Install();
    if (HasFatalFailure()) return;
    EXPECT_EQ(InstalledFolder(), kFolder);

    std::set<std::wstring> expected = ShippedFiles();
    ASSERT_GT(expected.size(), 10u);
    EXPECT_EQ(expected.count(L"kq.exe"), 1u);
    expected.insert(L"uninstall.exe");
    EXPECT_EQ(FilesIn(kFolder), expected);

    const std::wstring folder(kFolder);
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, ServerKey(CLSID_Sonark5)), folder + L"\\sonark5.ax");
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, ServerKey(kScreenCaptureFilterClsid)), folder + L"\\pixark.ax");
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kFilterCategory + GuidText(kScreenCaptureFilterClsid)));

    EXPECT_EQ(ShortcutTarget(StartMenuFolder() + L"\\Telvane.lnk"), folder + L"\\kq.exe");
    EXPECT_EQ(ShortcutTarget(StartMenuFolder() + L"\\Uninstall Telvane.lnk"), folder + L"\\uninstall.exe");
    EXPECT_EQ(ShortcutTarget(DesktopShortcut()), folder + L"\\kq.exe");

    const std::wstring uninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Telvane";
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, uninstall, L"DisplayName"), L"Telvane");
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, uninstall, L"UninstallString"), L"\"" + folder + L"\\uninstall.exe\"");
}

// A recorder that runs keeps its files in use: the setup refuses, with
// exit code 4, and changes nothing.
TEST(Installer, RefusesWhileTheRecorderRuns) {
    ASSERT_EQ(InstalledFolder(), kFolder);
    Started run = StartThroughShell(std::wstring(kFolder) + L"\\kq.exe");
    ASSERT_NE(run.recorder, nullptr);
    EXPECT_EQ(RunSetup(std::wstring(kFolder) + L"\\uninstall.exe", L"/S _?=" + std::wstring(kFolder)), 4u);
    EXPECT_TRUE(fs::exists(fs::path(kFolder) / L"telvane.exe"));
    EXPECT_EQ(CloseRecorder(run), 0u);
    EndLeftovers();
}

std::wstring InstalledRecording() { return driver::ProgramFolder() + L"e2e\\installed\\recordings\\Bob.wmv"; }

void ExpectProgramGone() {
    EXPECT_FALSE(fs::exists(fs::path(kFolder)));
    EXPECT_FALSE(fs::exists(fs::path(StartMenuFolder())));
    EXPECT_FALSE(fs::exists(fs::path(DesktopShortcut())));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + GuidText(CLSID_Sonark5)));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + GuidText(kScreenCaptureFilterClsid)));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFilterCategory + GuidText(kScreenCaptureFilterClsid)));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Telvane"));
    EXPECT_EQ(InstalledFolder(), L"");
}

// After the installed copy's recording (CallRecording.DISABLED_Installed).
TEST(Installer, UninstallKeepsRecordingsAndSettings) {
    EndLeftovers();
    ASSERT_TRUE(fs::is_regular_file(fs::path(InstalledRecording()))) << "the installed copy recorded nothing";
    ASSERT_TRUE(fs::is_regular_file(fs::path(SettingsFile())));
    const std::string settings = ReadAll(SettingsFile());
    Uninstall(L"/S");
    ExpectProgramGone();
    EXPECT_TRUE(fs::is_regular_file(fs::path(InstalledRecording())));
    EXPECT_EQ(ReadAll(SettingsFile()), settings);
}

// The uninstaller's box "Remove my settings", given as /RemoveSettings:
// the settings folder goes, the recordings stay.
TEST(Installer, RemoveSettingsTakesOnlyTheSettings) {
    EndLeftovers();
    Install();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(fs::is_regular_file(fs::path(SettingsFile())));
    Uninstall(L"/S /RemoveSettings");
    ExpectProgramGone();
    EXPECT_FALSE(fs::exists(fs::path(SettingsFolder())));
    EXPECT_TRUE(fs::is_regular_file(fs::path(InstalledRecording())));
}

}  // namespace
