#pragma once
// The note of the recording in progress, kept beside the settings from the
// start of a recording to its clean stop. A crash, a kill or a power cut
// leaves it behind, and the next start repairs the file it names. Portable:
// the text and its reading; the program writes it atomically.

#include <cstdint>
#include <string>
#include <string_view>

namespace recovery {

// The file's name in the settings folder.
constexpr wchar_t kJournalFileName[] = L"recording_in_progress.txt";

// The longest path a note keeps (the system's own limit).
constexpr std::size_t kJournalPathLimit = 32767;

struct JournalEntry {
    std::wstring path;         // the recording
    std::int64_t started = 0;  // its local start time, 100-ns units since 1601
};

// "Telvane recording in progress", "File: <path>", "Started: <time>", each
// line ending in CR LF; the path in UTF-8.
std::string JournalText(const JournalEntry& entry);

// The note's entry; false for anything else (another file, a note cut short,
// a path beyond the limit or with a line break in it).
bool ReadJournal(std::string_view text, JournalEntry& entry);

}  // namespace recovery
