// The two files the checks open beside the recorder, as the product folder
// holds them: the help document read by the system's own rich-edit control,
// and sound.bat started through the shell as the fix starts it.

#include <gtest/gtest.h>

#include <windows.h>

#include <richedit.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "framework/win/Handles.h"
#include "tests/wine/driver/Process.h"

namespace {

struct StreamSource {
    FILE* file;
};

DWORD CALLBACK ReadChunk(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) {
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    *read = static_cast<LONG>(std::fread(buffer, 1, static_cast<size_t>(size), source->file));
    return 0;
}

// The plain text a rich-edit control makes of an RTF file.
std::wstring RtfPlainText(const std::wstring& path) {
    win::Module riched(::LoadLibraryW(L"riched20.dll"));
    if (!riched.IsValid()) return L"<no riched20.dll>";
    HWND edit = ::CreateWindowExW(0, RICHEDIT_CLASSW, L"", WS_POPUP | ES_MULTILINE, 0, 0, 400, 300, nullptr, nullptr,
                                  nullptr, nullptr);
    if (!edit) return L"<no rich-edit control>";
    ::SendMessageW(edit, EM_EXLIMITTEXT, 0, 1000000);
    std::wstring text = L"<cannot open file>";
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        StreamSource source{f};
        EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, &ReadChunk};
        const LRESULT read = ::SendMessageW(edit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
        std::fclose(f);
        if (read <= 0 || stream.dwError != 0) {
            text = L"<not read as RTF>";
        } else {
            const int length = ::GetWindowTextLengthW(edit);
            text.assign(static_cast<size_t>(length) + 1, L'\0');
            text.resize(static_cast<size_t>(::GetWindowTextW(edit, &text[0], length + 1)));
        }
    }
    ::DestroyWindow(edit);
    return text;
}

TEST(AudioHelp, IsRtfThatTheRichEditControlReadsIntoTheSections) {
    const std::wstring text = RtfPlainText(driver::ProductFolder() + L"AudioHelp.rtf");
    ASSERT_GT(text.size(), 3000u) << std::string(text.begin(), text.end());
    for (const wchar_t* heading :
         {L"Telvane audio setup", L"What Telvane needs", L"What the messages mean",
          L"Set the speakers to stereo, 48000 Hz or 44100 Hz", L"Set the microphone to the same sample rate",
          L"What is Stereo Mix?", L"16 bit, 48000 Hz (DVD Quality)", L"16 bit, 44100 Hz (CD Quality)",
          L"Show Disabled Devices"})
        EXPECT_NE(text.find(heading), std::wstring::npos) << std::string(heading, heading + std::wcslen(heading));
    // Control words or groups left in the text mean the RTF was not understood.
    EXPECT_EQ(text.find(L'\\'), std::wstring::npos);
    EXPECT_EQ(text.find(L'{'), std::wstring::npos);
    EXPECT_EQ(text.find(L'}'), std::wstring::npos);
}

TEST(SoundBat, OpensThroughTheShellAndEndsAtOnce) {
    const std::wstring folder = driver::ProductFolder();
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    const std::wstring file = folder + L"sound.bat";
    info.lpFile = file.c_str();
    info.lpDirectory = folder.c_str();
    info.nShow = SW_HIDE;
    ASSERT_TRUE(::ShellExecuteExW(&info));
    ASSERT_GT(reinterpret_cast<INT_PTR>(info.hInstApp), 32);
    ASSERT_NE(info.hProcess, nullptr);
    win::Handle process(info.hProcess);
    ASSERT_EQ(::WaitForSingleObject(process.Get(), 15000), WAIT_OBJECT_0);
    DWORD code = 99;
    ASSERT_TRUE(::GetExitCodeProcess(process.Get(), &code));
    EXPECT_EQ(code, 0u);
}

}  // namespace
