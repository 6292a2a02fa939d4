#include "capfilter/AudioLog.h"

#include <windows.h>

#include <shlobj.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "capfilter/SonarkPlatform.h"

namespace sonark {

namespace {

// The log's state belongs to this file and its one lock.
std::mutex g_logLock;
bool g_logStarted = false;
bool g_logOn = false;
wchar_t g_logFolder[1000] = {};
wchar_t g_logPath[1100] = {};

void CannotCreate() {
    wchar_t text[1200];
    std::swprintf(text, 1200, L"Cannot create log file %ls\\logAudio.txt", g_logFolder);
    CurrentPlatform().messageW(text);
    g_logOn = false;
}

}  // namespace

void LogAudio(const char* text) {
    std::lock_guard<std::mutex> lock(g_logLock);
    if (!g_logStarted) {
        g_logStarted = true;
        if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                      g_logFolder))) {
            g_logFolder[0] = L'\0';
            wchar_t message[1100];
            std::swprintf(message, 1100, L"Cannot open folder %ls", g_logFolder);
            CurrentPlatform().messageW(message);
            return;
        }
        std::swprintf(g_logPath, 1100, L"%ls\\logAudio.txt", g_logFolder);
        ::DeleteFileW(g_logPath);
        FILE* f = ::_wfopen(g_logPath, L"a");
        if (!f) {
            CannotCreate();
            return;
        }
        g_logOn = true;
        wchar_t date[16], time[16];
        ::_wstrdate(date);
        ::_wstrtime(time);
        std::fprintf(f, "Audio Error Report - %ls %ls\n\n", date, time);
        std::fputs(text, f);
        std::fclose(f);
        return;
    }
    if (!g_logOn) return;
    FILE* f = ::_wfopen(g_logPath, L"a");
    if (!f) {
        CannotCreate();
        return;
    }
    std::fputs(text, f);
    std::fclose(f);
}

void LogAudioF(const char* format, ...) {
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    LogAudio(line);
}

}  // namespace sonark
