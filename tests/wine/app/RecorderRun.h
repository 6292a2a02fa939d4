#pragma once
// What the recorder tests share: where the recorder keeps its files, how to
// start it from a clean state and how to find and end what it started.

#include <windows.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/wine/driver/Driver.h"

namespace apptest {

constexpr DWORD kStartTimeoutMs = 20000;

// "<application data>\Telvane 2" and the settings file in it.
std::wstring SettingsFolder();
std::wstring SettingsFile();
// "<videos>\KQ Recordings".
std::wstring DefaultRecordingsFolder();

// The file's bytes as text (the settings file is 8-bit text); empty if missing.
std::string ReadAll(const std::wstring& path);
bool WriteAll(const std::wstring& path, const std::string& bytes);

// Ends every recorder, restore helper and splash left over, so each test
// starts alone.
void EndLeftovers();

// Removes the settings folder, as on a machine where the recorder never ran.
void RemoveSettingsFolder();

// A settings file made from the shipped init file with these "key: value"
// lines changed, marked as set up so the recorder keeps it.
void PrepareSettings(const std::map<std::string, std::string>& values);

// Starts the program (telvane.exe by default, from the product folder; a
// test variant from the tests folder; a full path from its own folder) and
// waits for the recorder window "Quorra"; null window on timeout.
struct Started {
    driver::Program program;
    HWND recorder = nullptr;
};
Started StartRecorder(const std::wstring& args = L"", const std::wstring& exe = L"telvane.exe");

// Opens the launcher kq.exe of an installed copy, or a shortcut to it,
// through the shell, waits for the launcher to end with 0 and for the
// recorder it started; run.program is the recorder.
Started StartThroughShell(const std::wstring& file);

// Where the installer put the program (HKLM\Software\Telvane "Install
// Folder"); empty when it is not installed.
std::wstring InstalledFolder();

// Asks the recorder to close the way its close box does and returns the exit
// code, or 0xFFFFFFFF when it did not end.
DWORD CloseRecorder(Started& run);

// Waits until the deferred initialisation has had time to run: the first
// tick comes a second after the window, and it waits half a second itself.
void WaitForDeferredInit();

std::string Narrow(const std::wstring& text);

// The ".wmv" files in a recordings folder.
std::vector<std::filesystem::path> Recordings(const std::filesystem::path& folder);

}  // namespace apptest
