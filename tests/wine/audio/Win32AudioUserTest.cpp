// The recorder side of the checks' user: its box with the right buttons,
// the shell starts on worker threads, and the whole fix sequence with a
// stand-in ".\sound.bat" in the current folder. The recorder's box, pumped
// wait and exit procedure are defined here, as the program defines them,
// so nothing is shown and the test process does not end.

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "app/services/ShowMessage.h"
#include "audio/EndpointChecks.h"
#include "audio/Win32AudioUser.h"

namespace {

struct Shown {
    std::wstring text;
    UINT buttons;
    DWORD thread;
};

std::mutex g_lock;
std::vector<Shown> g_shown;
std::vector<std::wstring> g_calls;
std::atomic<int> g_answer{IDYES};

std::vector<Shown> ShownSoFar() {
    std::lock_guard<std::mutex> lock(g_lock);
    return g_shown;
}
std::vector<std::wstring> Calls() {
    std::lock_guard<std::mutex> lock(g_lock);
    return g_calls;
}
void Reset() {
    std::lock_guard<std::mutex> lock(g_lock);
    g_shown.clear();
    g_calls.clear();
}

bool WaitFor(bool (*done)(), DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        if (done()) return true;
        ::Sleep(50);
    }
    return done();
}

std::wstring TempFolder() {
    wchar_t temp[MAX_PATH];
    const DWORD n = ::GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp, n) + L"telvane_audio_user\\";
}

// A folder with a batch file `name` that writes `marker` beside itself,
// made the current folder while it lives.
class BatchFolder {
public:
    BatchFolder(const std::wstring& name, const std::wstring& marker) : m_folder(TempFolder()), m_marker(marker) {
        ::CreateDirectoryW(m_folder.c_str(), nullptr);
        ::DeleteFileW((m_folder + marker).c_str());
        m_batch = m_folder + name;
        if (FILE* f = _wfopen(m_batch.c_str(), L"wb")) {
            const std::string marked(marker.begin(), marker.end());
            std::fprintf(f, "@echo off\r\necho started> \"%%~dp0%s\"\r\n", marked.c_str());
            std::fclose(f);
        }
        wchar_t current[MAX_PATH];
        ::GetCurrentDirectoryW(MAX_PATH, current);
        m_previous = current;
        ::SetCurrentDirectoryW(m_folder.c_str());
    }
    ~BatchFolder() {
        ::SetCurrentDirectoryW(m_previous.c_str());
        ::DeleteFileW((m_folder + m_marker).c_str());
        ::DeleteFileW(m_batch.c_str());
        ::RemoveDirectoryW(m_folder.c_str());
    }
    bool MarkerWritten() const {
        return ::GetFileAttributesW((m_folder + m_marker).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    bool WaitForMarker(DWORD timeoutMs) const {
        for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
            if (MarkerWritten()) return true;
            ::Sleep(100);
        }
        return MarkerWritten();
    }

private:
    std::wstring m_folder, m_marker, m_batch, m_previous;
};

TEST(Win32AudioUser, AsksWithYesNoOrShowsOkAndReturnsTheButton) {
    Reset();
    Win32AudioUser user;
    g_answer = IDNO;
    EXPECT_EQ(user.ShowMessage(L"question", true), IDNO);
    g_answer = IDOK;
    EXPECT_EQ(user.ShowMessage(L"note", false), IDOK);
    const std::vector<Shown> shown = ShownSoFar();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, L"question");
    EXPECT_EQ(shown[0].buttons, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(shown[1].buttons, static_cast<UINT>(MB_OK));
    EXPECT_EQ(shown[0].thread, ::GetCurrentThreadId());
}

TEST(Win32AudioUser, OpensAFileBesideItThroughTheShell) {
    BatchFolder folder(L"help.bat", L"help.txt");
    Win32AudioUser user;
    user.OpenFile(L".\\help.bat");
    EXPECT_TRUE(folder.WaitForMarker(15000));
}

TEST(Win32AudioUser, TheFixOpensSoundBatAndShowsTheInstructionsOnWorkerThreadsThenCloses) {
    Reset();
    BatchFolder folder(L"sound.bat", L"sound.txt");
    Win32AudioUser user;
    const DWORD start = ::GetTickCount();

    FixAudioSettings(kMicrophoneInstructions, user);

    // Two pumped waits of a second each come before the exit procedure.
    EXPECT_GE(::GetTickCount() - start, 1900u);
    EXPECT_EQ(Calls(), (std::vector<std::wstring>{L"wait 1000", L"wait 1000", L"close"}));
    EXPECT_TRUE(folder.WaitForMarker(15000));
    ASSERT_TRUE(WaitFor([] { return !ShownSoFar().empty(); }, 5000));
    const Shown box = ShownSoFar()[0];
    EXPECT_EQ(box.text, kMicrophoneInstructions);
    EXPECT_EQ(box.buttons, static_cast<UINT>(MB_OK));
    EXPECT_NE(box.thread, ::GetCurrentThreadId());
}

}  // namespace

int ShowMessage(const std::wstring& text, UINT buttons) {
    std::lock_guard<std::mutex> lock(g_lock);
    g_shown.push_back({text, buttons, ::GetCurrentThreadId()});
    return g_answer;
}

void WaitPumping(DWORD ms) {
    {
        std::lock_guard<std::mutex> lock(g_lock);
        g_calls.push_back(L"wait " + std::to_wstring(ms));
    }
    ::Sleep(ms);
}

void CloseProgram() {
    std::lock_guard<std::mutex> lock(g_lock);
    g_calls.push_back(L"close");
}
