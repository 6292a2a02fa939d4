// The note of the recording in progress: what it says, and what it refuses.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recovery/RecordingJournal.h"

namespace recovery {
namespace {

TEST(RecordingJournal, TheNoteNamesTheFileAndTheStartInItsLines) {
    const JournalEntry entry{L"C:\\Calls\\B\u00f6b \u2014 call [2].wmv", 133000000000000000};
    EXPECT_EQ(JournalText(entry),
              "Telvane recording in progress\r\nFile: C:\\Calls\\B\xc3\xb6"
              "b \xe2\x80\x94 call [2].wmv\r\n"
              "Started: 133000000000000000\r\n");
    JournalEntry back;
    ASSERT_TRUE(ReadJournal(JournalText(entry), back));
    EXPECT_EQ(back.path, entry.path);
    EXPECT_EQ(back.started, entry.started);
}

TEST(RecordingJournal, AnythingButAWholeNoteIsRefused) {
    const std::string good = JournalText(JournalEntry{L"C:\\a.wmv", 42});
    const std::string longPath(kJournalPathLimit + 1, 'a');
    const std::vector<std::pair<const char*, std::string>> refused = {
        {"empty", ""},
        {"cut short", good.substr(0, good.size() - 2)},
        {"another file", "[Settings]\r\nFile: C:\\a.wmv\r\nStarted: 42\r\n"},
        {"no file", "Telvane recording in progress\r\nFile: \r\nStarted: 42\r\n"},
        {"a time that is no number", "Telvane recording in progress\r\nFile: C:\\a.wmv\r\nStarted: 4x2\r\n"},
        {"a time beyond 64 bits",
         "Telvane recording in progress\r\nFile: C:\\a.wmv\r\nStarted: 12345678901234567890\r\n"},
        {"a path beyond the limit", "Telvane recording in progress\r\nFile: " + longPath + "\r\nStarted: 1\r\n"},
        {"a line break in the path", "Telvane recording in progress\r\nFile: C:\\a\n.wmv\r\nStarted: 1\r\n"},
    };
    for (const auto& [name, text] : refused) {
        JournalEntry entry{L"kept", 7};
        EXPECT_FALSE(ReadJournal(text, entry)) << name;
        EXPECT_EQ(entry.path, L"kept") << name;
    }
}

}  // namespace
}  // namespace recovery
