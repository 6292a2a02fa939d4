#include "tests/wine/driver/PulseShell.h"

#include <windows.h>

#include <cstdio>

// Wine starts a Linux program without a process handle and without passing
// it the standard handles: the shell leaves its output in a file, renamed
// into place once complete.
std::string RunShell(const std::string& script) {
    static int runs = 0;
    char name[96];
    std::snprintf(name, sizeof name, "/tmp/telvane-pulseshell-%lu-%lu-%d", ::GetCurrentProcessId(),
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
        return "no process";
    if (pi.hProcess) ::CloseHandle(pi.hProcess);
    if (pi.hThread) ::CloseHandle(pi.hThread);
    std::wstring file = L"Z:";
    for (char c : path) file.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(c));
    const DWORD deadline = ::GetTickCount() + 10000;
    while (::GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (static_cast<LONG>(::GetTickCount() - deadline) > 0) return "no output";
        ::Sleep(5);
    }
    std::string out;
    if (FILE* f = ::_wfopen(file.c_str(), L"rb")) {
        char buffer[1024];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.append(buffer, got);
        std::fclose(f);
    }
    ::DeleteFileW(file.c_str());
    return out;
}

void UnloadSink(const char* name) {
    char script[512];
    std::snprintf(script, sizeof script,
                  "pactl unload-module $(pactl list short modules | awk '$2 == \\\"module-null-sink\\\" && $3 == "
                  "\\\"sink_name=%s\\\" { print $1 }')",
                  name);
    RunShell(script);
}

void LoadSink(const char* name, const char* description) {
    char script[512];
    std::snprintf(script, sizeof script,
                  "pactl load-module module-null-sink sink_name=%s rate=48000 sink_properties=device.description=%s; "
                  "pactl set-default-sink speakers; pactl set-default-source micsink.monitor",
                  name, description);
    RunShell(script);
}
