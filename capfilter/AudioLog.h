#pragma once
// LogAudio: the filter's diagnostic report "logAudio.txt" in the roaming
// application-data folder. The first line of a process starts the file
// afresh with a dated header; every line opens and closes the file, so the
// report survives a crash. If the folder or the file cannot be had, a
// message says so and the log stays off for the rest of the process.

namespace sonark {

void LogAudio(const char* text);
// printf-style convenience over LogAudio.
void LogAudioF(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace sonark
