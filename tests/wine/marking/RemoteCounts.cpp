#include "tests/wine/marking/RemoteCounts.h"

#include <winternl.h>

#include <vector>

namespace markingtest {

namespace {

// Wine answers GetGuiResources with 0. Its GDI objects are entries of a
// per-process handle table that the process's PEB points to (at 0x94 in a
// 32-bit PEB, 0xf8 in a 64-bit one): 0x10000 entries of 24 bytes in either,
// an entry in use having a non-zero type byte at offset 14. The table is read
// from the other process, which is built as this one is.
#ifdef _WIN64
constexpr size_t kPebGdiTable = 0xf8;
#else
constexpr size_t kPebGdiTable = 0x94;
#endif
constexpr size_t kGdiEntries = 0x10000;
constexpr size_t kGdiEntrySize = 24;
constexpr size_t kGdiTypeOffset = 14;

using QueryInformationProcess = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);

bool ReadRemote(HANDLE process, const void* at, void* into, size_t size) {
    SIZE_T got = 0;
    return ::ReadProcessMemory(process, at, into, size, &got) && got == size;
}

bool CountGdi(HANDLE process, DWORD* count) {
    const DWORD reported = ::GetGuiResources(process, GR_GDIOBJECTS);
    if (reported != 0) {
        *count = reported;
        return true;
    }
    const auto query = reinterpret_cast<QueryInformationProcess>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    if (!query) return false;
    PROCESS_BASIC_INFORMATION info{};
    if (query(process, ProcessBasicInformation, &info, sizeof(info), nullptr) != 0 || !info.PebBaseAddress)
        return false;
    const BYTE* table = nullptr;
    if (!ReadRemote(process, reinterpret_cast<const BYTE*>(info.PebBaseAddress) + kPebGdiTable, &table,
                    sizeof(table)) ||
        !table)
        return false;
    std::vector<BYTE> entries(kGdiEntries * kGdiEntrySize);
    if (!ReadRemote(process, table, entries.data(), entries.size())) return false;
    DWORD n = 0;
    for (size_t i = 0; i < kGdiEntries; ++i)
        if (entries[i * kGdiEntrySize + kGdiTypeOffset] != 0) ++n;
    *count = n;
    return true;
}

struct WindowCount {
    DWORD processId;
    DWORD count;
};

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM param) {
    auto* c = reinterpret_cast<WindowCount*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    if (owner == c->processId) ++c->count;
    return TRUE;
}

}  // namespace

RemoteCounts CountRemote(HANDLE process, DWORD processId) {
    RemoteCounts counts;
    counts.gdiRead = CountGdi(process, &counts.gdiObjects);
    WindowCount windows{processId, 0};
    ::EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&windows));
    counts.windows = windows.count;
    return counts;
}

std::ostream& operator<<(std::ostream& os, const RemoteCounts& c) {
    return os << c.gdiObjects << " GDI objects" << (c.gdiRead ? "" : " (not read)") << ", " << c.windows
              << " top-level windows";
}

}  // namespace markingtest
