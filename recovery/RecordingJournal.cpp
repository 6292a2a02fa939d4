#include "recovery/RecordingJournal.h"

#include "settings/SettingsText.h"

namespace recovery {

namespace {

constexpr std::string_view kFirstLine = "Telvane recording in progress";
constexpr std::string_view kFileKey = "File: ";
constexpr std::string_view kStartedKey = "Started: ";
constexpr std::string_view kEnd = "\r\n";

// The next CR LF-ended line of text from `at`; false when none ends.
bool NextLine(std::string_view text, std::size_t& at, std::string_view& line) {
    const std::size_t end = text.find(kEnd, at);
    if (end == std::string_view::npos) return false;
    line = text.substr(at, end - at);
    at = end + kEnd.size();
    return true;
}

bool After(std::string_view line, std::string_view key, std::string_view& value) {
    if (line.substr(0, key.size()) != key) return false;
    value = line.substr(key.size());
    return true;
}

}  // namespace

std::string JournalText(const JournalEntry& entry) {
    return std::string(kFirstLine) + "\r\n" + std::string(kFileKey) + EncodeUtf8(entry.path) + "\r\n" +
           std::string(kStartedKey) + std::to_string(entry.started) + "\r\n";
}

bool ReadJournal(std::string_view text, JournalEntry& entry) {
    std::size_t at = 0;
    std::string_view line, file, started;
    if (!NextLine(text, at, line) || line != kFirstLine) return false;
    if (!NextLine(text, at, line) || !After(line, kFileKey, file)) return false;
    if (!NextLine(text, at, line) || !After(line, kStartedKey, started)) return false;
    if (file.empty() || file.find('\r') != std::string_view::npos || file.find('\n') != std::string_view::npos)
        return false;
    std::wstring path = DecodeLine(file);
    if (path.size() > kJournalPathLimit) return false;
    std::int64_t time = 0;
    if (started.empty() || started.size() > 19) return false;
    for (char c : started) {
        if (c < '0' || c > '9') return false;
        time = time * 10 + (c - '0');
    }
    entry.path = std::move(path);
    entry.started = time;
    return true;
}

}  // namespace recovery
