#pragma once
// Starting the end-to-end programs from a test: the fake call beside the
// tests, the product's helpers in the build's "bin".

#include <windows.h>

#include <string>

#include "framework/win/Handles.h"

// A file beside the running test program.
std::wstring BesideTest(const wchar_t* file);
// A file of the product (the build's "bin", beside the tests folder).
std::wstring InProductFolder(const wchar_t* file);
// Starts a program with arguments; an empty handle on failure.
win::Handle StartProgram(const std::wstring& path, const std::wstring& arguments = L"");
// The top-level window of this class and title, waiting up to timeoutMs.
HWND WaitForWindow(const wchar_t* windowClass, const wchar_t* title, DWORD timeoutMs);
// Asks a program to close its window and waits for it; terminates it when it does not end.
void EndProgram(win::Handle& process, HWND window);

// Ends a started program when the test leaves its scope, also after a
// failed assertion: a program left running would keep the prefix's
// wineserver, and the test run, waiting for it.
class EndProgramOnExit {
public:
    EndProgramOnExit(win::Handle& process, HWND& window) : m_process(process), m_window(window) {}
    ~EndProgramOnExit() { EndProgram(m_process, m_window); }
    EndProgramOnExit(const EndProgramOnExit&) = delete;
    EndProgramOnExit& operator=(const EndProgramOnExit&) = delete;

private:
    win::Handle& m_process;
    HWND& m_window;
};
