#include "app/services/DiagnosticLog.h"

#include <atomic>
#include <cstdarg>
#include <cwchar>
#include <mutex>
#include <vector>

#include "settings/SettingsText.h"

namespace {

struct LogState {
    std::mutex lock;
    std::wstring lastText;
    std::FILE* trace = nullptr;
    bool traceOn = kTraceFileSwitch;
};

LogState& State() {
    static LogState state;
    return state;
}

std::atomic<LogSink> g_sink{nullptr};

std::wstring Format(const wchar_t* format, va_list args) {
    // Most lines are short; grow for the rare long one, up to the capacity.
    std::vector<wchar_t> buffer(256);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        const int written = std::vswprintf(buffer.data(), buffer.size(), format, copy);
        va_end(copy);
        // glibc reports a cut text as -1, the mingw runtime as the length it
        // would have needed: only a count inside the buffer is the text.
        if (written >= 0 && static_cast<size_t>(written) < buffer.size())
            return std::wstring(buffer.data(), static_cast<size_t>(written));
        if (buffer.size() >= kLogTextCapacity) {
            // Still too long (or a bad format): keep what fits.
            buffer.back() = L'\0';
            return std::wstring(buffer.data());
        }
        buffer.assign(buffer.size() * 4 > kLogTextCapacity ? kLogTextCapacity : buffer.size() * 4, L'\0');
    }
}

}  // namespace

void AppendLog(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = Format(format, args);
    va_end(args);
    {
        std::lock_guard<std::mutex> guard(State().lock);
        State().lastText = text;
    }
    if (LogSink sink = g_sink.load()) sink(text);
}

std::wstring LogText() {
    std::lock_guard<std::mutex> guard(State().lock);
    return State().lastText;
}

void SetLogSink(LogSink sink) { g_sink.store(sink); }

bool OpenTraceFile(const std::string& path) {
    if (!kTraceFileSwitch) return true;
    std::lock_guard<std::mutex> guard(State().lock);
    LogState& s = State();
    if (!s.traceOn) return false;
    if (s.trace) std::fclose(s.trace);
    s.trace = std::fopen(path.c_str(), "w");
    if (!s.trace) s.traceOn = false;
    return s.trace != nullptr;
}

void CloseTraceFile() {
    std::lock_guard<std::mutex> guard(State().lock);
    if (State().trace) std::fclose(State().trace);
    State().trace = nullptr;
}

void AppendTrace() {
    if (!kTraceFileSwitch) return;
    std::lock_guard<std::mutex> guard(State().lock);
    LogState& s = State();
    if (!s.trace || !s.traceOn) return;
    // The trace keeps the text as the log has it: wide characters as UTF-8.
    const std::string bytes = EncodeUtf8(s.lastText);
    std::fwrite(bytes.data(), 1, bytes.size(), s.trace);
}

bool TraceFileOn() {
    std::lock_guard<std::mutex> guard(State().lock);
    return State().traceOn;
}
