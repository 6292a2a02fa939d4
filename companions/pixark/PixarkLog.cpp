#include "companions/pixark/PixarkLog.h"

#include <windows.h>

#include <shlobj.h>

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <mutex>
#include <set>

namespace pixark {

namespace {

std::mutex g_logLock;  // the file and the keys are shared by the filter's instances
std::set<uint64_t> g_loggedKeys;

void WriteLine(const wchar_t* format, va_list args) {
    wchar_t line[1024];
    if (std::vswprintf(line, 1024, format, args) < 0) line[1023] = L'\0';
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return;
    wchar_t path[MAX_PATH + 32];
    std::swprintf(path, MAX_PATH + 32, L"%ls\\logVideo.txt", folder);
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    FILE* f = ::_wfopen(path, L"a");
    if (!f) return;
    std::fprintf(f, "%04u-%02u-%02u %02u:%02u:%02u %ls\n", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
                 line);
    std::fclose(f);
}

}  // namespace

void LogVideoOnce(uint64_t key, const wchar_t* format, ...) {
    std::lock_guard<std::mutex> lock(g_logLock);
    if (!g_loggedKeys.insert(key).second) return;
    va_list args;
    va_start(args, format);
    WriteLine(format, args);
    va_end(args);
}

}  // namespace pixark
