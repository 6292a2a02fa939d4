#include "tests/wine/driver/Process.h"

#include <winternl.h>

#include <iterator>
#include <utility>
#include <vector>

namespace driver {
namespace {

// TerminateProcess only starts the end; wait for it so the next test does
// not meet the old program's windows.
constexpr DWORD kEndWaitMs = 5000;

}  // namespace

Program::Program(Program&& other) noexcept
    : m_process(std::move(other.m_process)),
      m_thread(std::move(other.m_thread)),
      m_id(std::exchange(other.m_id, 0)),
      m_error(std::move(other.m_error)),
      m_commandLine(std::move(other.m_commandLine)) {}

Program& Program::operator=(Program&& other) noexcept {
    if (this != &other) {
        End();
        m_process = std::move(other.m_process);
        m_thread = std::move(other.m_thread);
        m_id = std::exchange(other.m_id, 0);
        m_error = std::move(other.m_error);
        m_commandLine = std::move(other.m_commandLine);
    }
    return *this;
}

Program::~Program() { End(); }

Program Program::Start(const std::wstring& path, const std::wstring& args, const std::wstring& workDir) {
    Program program;
    program.m_commandLine = L"\"" + path + L"\"";
    if (!args.empty()) program.m_commandLine += L" " + args;

    // CreateProcessW may write into the command line, so it gets a copy.
    std::vector<wchar_t> commandLine(program.m_commandLine.begin(), program.m_commandLine.end());
    commandLine.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          workDir.empty() ? nullptr : workDir.c_str(), &startup, &info)) {
        program.m_error = L"cannot start " + program.m_commandLine + L": " + ErrorText(::GetLastError());
        return program;
    }
    program.m_process.Reset(info.hProcess);
    program.m_thread.Reset(info.hThread);
    program.m_id = info.dwProcessId;
    return program;
}

Program Program::Attach(DWORD processId) {
    Program program;
    HANDLE process =
        ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE, FALSE, processId);
    if (!process) {
        program.m_error = L"cannot open process " + std::to_wstring(processId) + L": " + ErrorText(::GetLastError());
        return program;
    }
    program.m_process.Reset(process);
    program.m_id = processId;
    program.m_commandLine = ProcessCommandLine(process);
    return program;
}

bool Program::IsRunning() const {
    return m_process.IsValid() && ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

bool Program::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
    if (!m_process.IsValid() || ::WaitForSingleObject(m_process.Get(), timeoutMs) != WAIT_OBJECT_0) return false;
    if (exitCode && !::GetExitCodeProcess(m_process.Get(), exitCode)) return false;
    return true;
}

void Program::End() {
    if (!IsRunning()) return;
    ::TerminateProcess(m_process.Get(), 1);
    ::WaitForSingleObject(m_process.Get(), kEndWaitMs);
}

std::wstring ProcessCommandLine(HANDLE process) {
    using QueryFn = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    auto query =
        ntdll ? reinterpret_cast<QueryFn>(reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtQueryInformationProcess")))
              : nullptr;
    PROCESS_BASIC_INFORMATION basic{};
    if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) return L"";
    auto read = [process](const void* at, void* into, SIZE_T size) {
        SIZE_T done = 0;
        return ::ReadProcessMemory(process, at, into, size, &done) && done == size;
    };
    PEB peb{};
    RTL_USER_PROCESS_PARAMETERS parameters{};
    if (!read(basic.PebBaseAddress, &peb, sizeof peb) || !read(peb.ProcessParameters, &parameters, sizeof parameters))
        return L"";
    const USHORT bytes = parameters.CommandLine.Length;
    std::wstring text(bytes / sizeof(wchar_t), L'\0');
    if (bytes && !read(parameters.CommandLine.Buffer, text.data(), bytes)) return L"";
    return text;
}

std::wstring ProgramFolder() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0) return L"";
        // A full buffer means the name was cut short (XP did not even say so
        // through the error code).
        if (length < size) {
            std::wstring path(buffer.data(), length);
            const size_t slash = path.find_last_of(L"\\/");
            return slash == std::wstring::npos ? L".\\" : path.substr(0, slash + 1);
        }
        if (buffer.size() >= 32768) return L"";
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring ProductFolder() {
    const std::wstring relative = ProgramFolder() + L"..\\bin\\";
    wchar_t full[MAX_PATH] = {};
    const DWORD length = ::GetFullPathNameW(relative.c_str(), MAX_PATH, full, nullptr);
    return length == 0 || length >= MAX_PATH ? relative : std::wstring(full, length);
}

std::wstring ErrorText(DWORD error) {
    // System messages are short; a longer one is cut, never overflowed.
    wchar_t message[512] = {};
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                    message, static_cast<DWORD>(std::size(message)), nullptr);
    while (length > 0 && (message[length - 1] == L'\n' || message[length - 1] == L'\r' || message[length - 1] == L' '))
        --length;
    std::wstring text = L"error " + std::to_wstring(error);
    if (length > 0) text += L": " + std::wstring(message, length);
    return text;
}

}  // namespace driver
