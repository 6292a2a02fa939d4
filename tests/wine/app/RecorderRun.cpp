#include "tests/wine/app/RecorderRun.h"

#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace apptest {
namespace {

std::wstring KnownFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::wstring();
    return path;
}

void EndProcessOf(HWND window) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (!pid || pid == ::GetCurrentProcessId()) return;
    win::Handle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    if (!process) return;
    ::TerminateProcess(process.Get(), 1);
    ::WaitForSingleObject(process.Get(), 5000);
}

}  // namespace

std::wstring SettingsFolder() { return KnownFolder(CSIDL_APPDATA) + L"\\Telvane 2"; }

std::wstring SettingsFile() { return SettingsFolder() + L"\\settings_qr.ini"; }

std::wstring DefaultRecordingsFolder() { return KnownFolder(CSIDL_MYVIDEO) + L"\\KQ Recordings"; }

std::string ReadAll(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteAll(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

void EndLeftovers() {
    for (const wchar_t* title : {L"Quorra", L"Telvane", L"QrRestore", L"Silence"}) {
        for (int i = 0; i < 5; ++i) {
            HWND window = driver::FindTopWindow(title);
            if (!window) break;
            EndProcessOf(window);
        }
    }
}

void RemoveSettingsFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(SettingsFolder()), ignored);
}

void PrepareSettings(const std::map<std::string, std::string>& values) {
    RemoveSettingsFolder();
    ::CreateDirectoryW(SettingsFolder().c_str(), nullptr);
    std::string text = ReadAll(driver::ProductFolder() + L"settings_qr_init.ini");
    std::map<std::string, std::string> all = values;
    all.emplace("Setup", "1");
    for (const auto& [key, value] : all) {
        const std::string line = "\r\n" + key + ": ";
        const size_t at = text.find(line);
        ASSERT_NE(at, std::string::npos) << key;
        const size_t end = text.find("\r\n", at + line.size());
        text.replace(at + line.size(), end - at - line.size(), value);
    }
    ASSERT_TRUE(WriteAll(SettingsFile(), text));
}

Started StartRecorder(const std::wstring& args, const std::wstring& exe) {
    Started run;
    // The product runs from the build's product folder; the test variants of
    // the recorder from the tests folder, which holds a copy of the product.
    // A full path (an installed copy) runs from its own folder.
    const size_t slash = exe.find_last_of(L'\\');
    const std::wstring folder = slash != std::wstring::npos ? exe.substr(0, slash + 1)
                                : exe == L"telvane.exe"     ? driver::ProductFolder()
                                                            : driver::ProgramFolder();
    const std::wstring file = slash != std::wstring::npos ? exe.substr(slash + 1) : exe;
    run.program = driver::Program::Start(folder + file, args, folder);
    // The frame carries the title "Quorra" too while the splash shows: the
    // recorder window is the dialog, ready once it is shown.
    if (run.program) {
        driver::PollUntil(kStartTimeoutMs, [&] {
            run.recorder = driver::FindTopWindow(L"Quorra", run.program.Id(), driver::kDialogClass);
            return run.recorder != nullptr && driver::IsVisible(run.recorder);
        });
    }
    return run;
}

Started StartThroughShell(const std::wstring& file) {
    Started run;
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof(start);
    start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    start.lpVerb = L"open";
    start.lpFile = file.c_str();
    start.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&start)) return run;
    if (start.hProcess) {
        const win::Handle launcher(start.hProcess);
        DWORD code = 0xFFFFFFFF;
        if (::WaitForSingleObject(launcher.Get(), kStartTimeoutMs) != WAIT_OBJECT_0 ||
            !::GetExitCodeProcess(launcher.Get(), &code) || code != 0)
            return run;
    }
    HWND recorder = nullptr;
    driver::PollUntil(kStartTimeoutMs, [&] {
        recorder = driver::FindTopWindow(L"Quorra", 0, driver::kDialogClass);
        return recorder != nullptr && driver::IsVisible(recorder);
    });
    DWORD id = 0;
    if (!recorder || !::GetWindowThreadProcessId(recorder, &id)) return run;
    run.program = driver::Program::Attach(id);
    if (run.program) run.recorder = recorder;
    return run;
}

std::wstring InstalledFolder() {
    wchar_t folder[MAX_PATH] = {};
    DWORD size = sizeof folder;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Telvane", L"Install Folder", RRF_RT_REG_SZ, nullptr, folder,
                       &size) != ERROR_SUCCESS)
        return L"";
    return folder;
}

DWORD CloseRecorder(Started& run) {
    if (run.recorder) ::PostMessageW(run.recorder, WM_CLOSE, 0, 0);
    DWORD code = 0xFFFFFFFF;
    if (!run.program.WaitForExit(10000, &code)) return 0xFFFFFFFF;
    return code;
}

void WaitForDeferredInit() { ::Sleep(2500); }

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

std::vector<std::filesystem::path> Recordings(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> found;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
        if (entry.path().extension() == L".wmv") found.push_back(entry.path());
    return found;
}

}  // namespace apptest
