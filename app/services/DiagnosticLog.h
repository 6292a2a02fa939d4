#pragma once
// The diagnostic log. Every part of the recorder reports progress and
// failures here with printf-style wide formats ("%ls" for wide strings).
// Two sinks exist, each behind a build-time switch that is off in the
// product: the developer console (a rich-edit control in the main frame)
// and the motion search's trace file ".\zzzVideo.txt". With both off a log
// call formats its text and the text goes nowhere.
//
// Safe from the GUI thread and a worker thread at once: each call formats
// into its own buffer and replaces the shared last text under a lock; the
// console is fed outside the lock, because feeding it is a message to the
// GUI thread, which may itself be waiting to log.

#include <cstdio>
#include <string>

#ifndef TELVANE_DEV_CONSOLE
#define TELVANE_DEV_CONSOLE 0
#endif
#ifndef TELVANE_TRACE_FILE
#define TELVANE_TRACE_FILE 0
#endif

constexpr bool kDevConsole = TELVANE_DEV_CONSOLE != 0;
constexpr bool kTraceFileSwitch = TELVANE_TRACE_FILE != 0;

// Longest text one call keeps; longer texts are cut.
constexpr size_t kLogTextCapacity = 8192;

void AppendLog(const wchar_t* format, ...);

// The text of the most recent log call.
std::wstring LogText();

// Where log texts go besides LogText (the developer console); null for nowhere.
using LogSink = void (*)(const std::wstring& text);
void SetLogSink(LogSink sink);

// The trace file of one motion search. OpenTraceFile truncates the file; when
// it cannot be opened the trace is off for the rest of the run and it
// returns false. Without the trace switch it does nothing and returns true.
bool OpenTraceFile(const std::string& path);
void CloseTraceFile();
// Writes the last log text to the open trace file, unchanged.
void AppendTrace();
// Whether tracing is still on (the switch, and no failed open so far).
bool TraceFileOn();
