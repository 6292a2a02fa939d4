#pragma once
// The rules of the recordings browser's list that need no window: which
// folder entries are listed, the texts of a row and the order of each
// column. Portable; the browser (ViewDlg) feeds it what the folder holds.

#include <cstdint>
#include <string>
#include <string_view>

// One listed recording.
struct RecordingItem {
    std::wstring name;
    std::wstring type;          // the text after the last dot of the name
    std::uint64_t size = 0;     // bytes
    std::int64_t modified = 0;  // last write, as a local file time
};

// Whether a folder entry is listed: not a folder, and the text after the
// last dot of its name, in lower case, contains "wmv", "mpg", "mpeg",
// "avi" or "mp4".
bool IsListedRecording(std::wstring_view name, bool isFolder);

// The text after the last dot of the name; empty without a dot.
std::wstring RecordingType(std::wstring_view name);

// "Size (MB)": the size in units of 1,048,576 bytes with three decimals.
std::wstring RecordingSizeText(std::uint64_t bytes);

// "Modified": "Jun/05 14:07" (month 1..12; the year is not shown). A month
// outside 1..12 shows as "---".
std::wstring RecordingModifiedText(int month, int day, int hour, int minute);

// The columns in their order.
enum class RecordingColumn { Name = 0, Type = 1, Size = 2, Modified = 3 };

// Negative when a comes first in the column's order, positive when b does,
// 0 when they tie: names and types in case-insensitive ascending order,
// sizes ascending (all 64 bits), modification times newest first.
int CompareRecordings(const RecordingItem& a, const RecordingItem& b, RecordingColumn column);
