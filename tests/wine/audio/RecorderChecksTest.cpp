// The recorder itself at start-up, with the speakers' sink at 96000 Hz and
// the microphone's at 48000 Hz (endpoint_platform.sh sets them): the checks
// that DeferredInit runs show their real "Telvane Message" boxes in order,
// the help document opens beside the program, and the recorder goes on and
// closes normally when every question is answered No.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/win/Handles.h"
#include "tests/wine/app/RecorderRun.h"

namespace {

using namespace apptest;

constexpr DWORD kBoxTimeoutMs = 20000;

bool Replace(std::string& text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    if (at == std::string::npos) return false;
    text.replace(at, from.size(), to);
    return true;
}

// The settings the recorder starts with, with the audio checks on: the
// filter as audio source and a second source named; marked as set up, or
// the first start would copy the initial settings over them.
bool WriteSettingsWithChecks() {
    std::string init = ReadAll(driver::ProductFolder() + L"settings_qr_init.ini");
    if (init.find("\r\nVistaAudio: 1\r\n") == std::string::npos ||
        init.find("\r\nAudio Source: Sonark5\r\n") == std::string::npos ||
        !Replace(init, "\r\nAudio Source1: \r\n", "\r\nAudio Source1: of Microph\r\n") ||
        !Replace(init, "\r\nSetup: 0\r\n", "\r\nSetup: 1\r\n"))
        return false;
    ::CreateDirectoryW(SettingsFolder().c_str(), nullptr);
    return WriteAll(SettingsFile(), init);
}

struct TitleSearch {
    const wchar_t* part;
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<TitleSearch*>(param);
    wchar_t title[256] = {};
    ::GetWindowTextW(window, title, 256);
    if (::IsWindowVisible(window) && std::wstring(title).find(search->part) != std::wstring::npos) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND TopWindowTitled(const wchar_t* part) {
    TitleSearch search{part, nullptr};
    ::EnumWindows(&MatchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK ListWindow(HWND window, LPARAM param) {
    auto* list = reinterpret_cast<std::pair<DWORD, std::wstring>*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid != list->first) return TRUE;
    wchar_t title[128] = {}, cls[64] = {};
    ::GetWindowTextW(window, title, 128);
    ::GetClassNameW(window, cls, 64);
    list->second +=
        std::wstring(L"[") + cls + L" \"" + title + L"\"" + (::IsWindowVisible(window) ? L" visible" : L"") + L"] ";
    return TRUE;
}

// The process's top-level windows, for a failure message.
std::string WindowsOf(DWORD processId) {
    std::pair<DWORD, std::wstring> list{processId, L""};
    ::EnumWindows(&ListWindow, reinterpret_cast<LPARAM>(&list));
    return Narrow(list.second);
}

// Answers the next box of the process: its text must be `expected`.
void Answer(DWORD processId, const std::wstring& expected, int button) {
    HWND box = driver::WaitForMessageBox(L"Telvane Message", kBoxTimeoutMs, processId);
    ASSERT_NE(box, nullptr) << "no box; expected: " << Narrow(expected) << "\nwindows: " << WindowsOf(processId)
                            << "\nsettings: " << ReadAll(SettingsFile()).substr(0, 2000);
    EXPECT_EQ(Narrow(driver::MessageBoxText(box)), Narrow(expected));
    EXPECT_TRUE(driver::PressButton(box, button));
}

class RecorderChecks : public ::testing::Test {
protected:
    void SetUp() override { EndLeftovers(); }
    void TearDown() override {
        EndLeftovers();
        RemoveSettingsFolder();
    }
};

TEST_F(RecorderChecks, SpeakersAt96000AskTwiceOpenTheHelpThenTheMicrophoneDiffers) {
    const char* name = std::getenv("TELVANE_AUDIO_CASE");
    ASSERT_NE(name, nullptr) << "endpoint_platform.sh sets the sinks and names the case";
    ASSERT_EQ(std::string(name), "96000-48000");
    RemoveSettingsFolder();
    ASSERT_TRUE(WriteSettingsWithChecks());

    Started run = StartRecorder();
    ASSERT_TRUE(run.program) << Narrow(run.program.Error());
    const DWORD id = run.program.Id();
    ASSERT_NE(run.recorder, nullptr) << WindowsOf(id);

    Answer(id, L"UNSUPPORTED SAMPLE RATE (96000Hz).\r\nSpeakers audio sample rate error. Would you like to fix now?",
           IDNO);
    Answer(id,
           L"Speaker audio recording cannot be setup. Make sure your audio system is not surround or quadrophonic or "
           L"audio sample rates are higher than 48000 Hz. You may have to change your speakers settings to Stereo, "
           L"48000 or 44100 sample rate. (ERROR 9)\r\n\r\nWould you like to do this now?",
           IDNO);
    Answer(id,
           L"Speakers sample rate and microphone sample rate are different (96000 Hz, 48000 Hz). They must be set "
           L"the same, 48000 Hz or 44100 Hz. Would you like to do this now?",
           IDNO);

    // The help document, opened through the shell with the program's folder current.
    HWND help = nullptr;
    EXPECT_TRUE(driver::PollUntil(15000, [&] { return (help = TopWindowTitled(L"AudioHelp")) != nullptr; }))
        << "the help document did not open";
    if (help) {
        wchar_t title[256] = {};
        ::GetWindowTextW(help, title, 256);
        std::printf("help document opened in \"%s\"\n", Narrow(title).c_str());
        DWORD helpProcess = 0;
        ::GetWindowThreadProcessId(help, &helpProcess);
        ::PostMessageW(help, WM_CLOSE, 0, 0);
        if (!driver::PollUntil(5000, [&] { return !::IsWindow(help); })) {
            win::Handle process(::OpenProcess(PROCESS_TERMINATE, FALSE, helpProcess));
            if (process.IsValid()) ::TerminateProcess(process.Get(), 0);
        }
    }

    // No further box, and the recorder is still there to be closed.
    EXPECT_EQ(driver::WaitForMessageBox(L"Telvane Message", 3000, id), nullptr);
    ASSERT_NE(run.recorder, nullptr);
    EXPECT_EQ(CloseRecorder(run), 0u);
}

}  // namespace
