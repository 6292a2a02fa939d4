#pragma once
// A recording that the process did not live to finish: the note of the
// recording in progress beside the settings, written when a recording has
// begun and removed after its clean stop; at the next start the file it
// names is repaired and the user told. The repair switch does the same for
// any file.

#include <cstdint>
#include <string>

// Writes the note atomically (a temporary file moved into place); a
// failure is logged, the recording goes on.
void WriteRecordingJournal(const std::wstring& path, std::int64_t started);
void RemoveRecordingJournal();

// At start-up, before anything records: repairs the recording a note left
// behind names, tells the user once, and removes the note.
void RepairInterruptedRecording();

// "telvane.exe /repair FILE": repairs the file and says what it did, on the
// standard output when there is one, else in a box. The exit code: 0 when
// the file is whole now, 1 when it could not be repaired.
int RunRepairSwitch(const std::wstring& path);
