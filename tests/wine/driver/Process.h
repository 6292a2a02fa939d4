#pragma once
// Starting and ending the Windows programs a test drives.

#include <windows.h>

#include <string>

#include "framework/win/Handles.h"

namespace driver {

// One started program. Owns its process and thread handles; movable, not
// copyable. Ending is tied to the owner: when a Program is destroyed (or
// overwritten by a move) while its process still runs, the process is
// terminated, so a test that fails half-way never leaves a program behind
// for the next test.
class Program {
public:
    Program() = default;
    Program(Program&& other) noexcept;
    Program& operator=(Program&& other) noexcept;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program();

    // Starts `path` (quoted in the command line, so folders with spaces
    // work) followed by `args`. A bare file name is searched the way
    // CreateProcess searches (program folder, current folder, system
    // folders, PATH). An empty workDir keeps the current folder. On failure
    // the result is invalid and Error() says why.
    static Program Start(const std::wstring& path, const std::wstring& args, const std::wstring& workDir = L"");
    // Takes over a process another program started (the recorder the
    // launcher starts), so the test can wait for it and end it.
    static Program Attach(DWORD processId);

    bool IsValid() const { return m_process.IsValid(); }
    explicit operator bool() const { return IsValid(); }
    // Why Start failed; empty for a started program.
    const std::wstring& Error() const { return m_error; }
    // The full command line Start passed to CreateProcess.
    const std::wstring& CommandLine() const { return m_commandLine; }

    // False for an invalid Program and once the process has exited.
    bool IsRunning() const;
    // The process id (0 for an invalid Program); stays readable after exit.
    DWORD Id() const { return m_id; }
    HANDLE ProcessHandle() const { return m_process.Get(); }

    // Waits up to timeoutMs for the process to exit. True if it has; then
    // *exitCode (if given) receives its exit code.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);

    // Terminates the process if it still runs and waits (bounded) until it
    // is gone. The handles stay, so Id() and WaitForExit still answer.
    void End();

private:
    win::Handle m_process;
    win::Handle m_thread;
    DWORD m_id = 0;
    std::wstring m_error;
    std::wstring m_commandLine;
};

// The command line a running process was started with, read from its own
// memory; empty when it cannot be read. Both programs must be of the same
// word size.
std::wstring ProcessCommandLine(HANDLE process);

// The folder of the running test program, with a trailing backslash: the
// build's tests folder, beside the product's folder.
std::wstring ProgramFolder();

// The build's product folder ("bin" beside the tests folder), with a
// trailing backslash: exactly what a user installs.
std::wstring ProductFolder();

// "error <code>: <system message>" for a GetLastError() value.
std::wstring ErrorText(DWORD error);

}  // namespace driver
