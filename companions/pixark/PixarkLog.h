#pragma once
// LogVideoOnce: the capture filter's own report "logVideo.txt" in the
// roaming application-data folder, one dated line per call. Each line opens
// and closes the file, so the report survives a crash; a folder or file that
// cannot be had leaves the line out (a capture never stops for its log).

#include <cstdint>

namespace pixark {

// The line for `key` (a window) once in the process, whichever instance of
// the filter comes to it first.
void LogVideoOnce(uint64_t key, const wchar_t* format, ...);

}  // namespace pixark
