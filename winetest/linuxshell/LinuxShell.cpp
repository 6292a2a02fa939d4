#include "winetest/linuxshell/LinuxShell.h"

#include <atomic>
#include <cstdio>

// Wine starts a Linux program without a process handle and without passing
// it the standard handles, so the shell leaves its output in a file of its
// own, renamed into place once complete.
bool RunLinuxShell(const std::string& script, std::string& output, DWORD timeoutMs) {
    static std::atomic<unsigned> runs{0};
    char name[96];
    std::snprintf(name, sizeof name, "/tmp/telvane-shell-%lu-%lu-%u", ::GetCurrentProcessId(),
                  static_cast<unsigned long>(::GetTickCount()), ++runs);
    const std::string path = name;
    const std::string line =
        "Z:\\bin\\sh -c \"(" + script + ") >" + path + ".part 2>&1; mv " + path + ".part " + path + "\"";
    std::wstring command(line.begin(), line.end());
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                          &pi))
        return false;
    if (pi.hProcess) ::CloseHandle(pi.hProcess);
    if (pi.hThread) ::CloseHandle(pi.hThread);
    std::wstring file = L"Z:";
    for (char c : path) file.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(c));
    const DWORD deadline = ::GetTickCount() + timeoutMs;
    while (::GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (static_cast<LONG>(::GetTickCount() - deadline) > 0) return false;
        ::Sleep(2);
    }
    FILE* f = ::_wfopen(file.c_str(), L"rb");
    if (!f) return false;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) output.append(buffer, got);
    std::fclose(f);
    ::DeleteFileW(file.c_str());
    return true;
}
