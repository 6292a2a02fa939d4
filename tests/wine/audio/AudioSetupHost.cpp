// audio_setup_host.exe <settings file> [xp]: opens the "Audio Setup" dialog
// as the recorder does, over the settings file named on the command line
// and a stand-in recorder window titled "Audio Setup Owner", then writes
// "result <DoModal>" to that path with ".report" appended and every log
// text, one after another, to the path with ".log" appended. With "xp" the
// system counts as older than Vista. The recorder's pumped wait and exit
// procedure are defined here; its message box is the real one.

#include <windows.h>
// shellapi.h needs windows.h before it.
#include <objbase.h>
#include <shellapi.h>

#include <cwchar>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/services/DiagnosticLog.h"
#include "app/services/Environment.h"
#include "audio/AudioTestDlg.h"
#include "audio/Win32AudioSetupSystem.h"
#include "graph/RecordingGraph.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsText.h"
#include "settings/Win32SettingsSystem.h"
#include "tests/wine/support/OneShotApp.h"

void WaitPumping(DWORD ms) { ::Sleep(ms); }
void CloseProgram() { ::ExitProcess(93); }

namespace {

std::wstring g_log;

void KeepLog(const std::wstring& text) { g_log += text; }

int RunHost() {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv || argc < 2) return 90;
    const std::wstring settingsPath = argv[1];
    const bool xp = argc >= 3 && std::wcscmp(argv[2], L"xp") == 0;
    ::LocalFree(argv);

    static Win32SettingsSystem system(!xp, true);
    SetSettingsSystem(&system);
    if (!CopyText(SettingsPath, settingsPath) || !ReadSettings()) return 91;
    Env().VistaOrLater = !xp;
    SetLogSink(KeepLog);
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 94;
    if (FAILED(CreateAllGraphs())) return 95;

    HWND owner = ::CreateWindowExW(0, L"STATIC", L"Audio Setup Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                   nullptr, nullptr, nullptr, nullptr);
    INT_PTR result = -1;
    {
        Win32AudioSetupSystem setup;
        AudioTestDlg dialog(setup, owner);
        result = dialog.DoModal();
    }
    DestroyRecordingGraph();
    ::DestroyWindow(owner);
    ::CoUninitialize();

    std::ofstream report(std::filesystem::path(settingsPath + L".report"), std::ios::binary);
    report << "result " << result;
    std::ofstream log(std::filesystem::path(settingsPath + L".log"), std::ios::binary);
    log.write(reinterpret_cast<const char*>(g_log.data()),
              static_cast<std::streamsize>(g_log.size() * sizeof(wchar_t)));
    return report.good() && log.good() ? 0 : 92;
}

OneShotApp theApp(RunHost);

}  // namespace
