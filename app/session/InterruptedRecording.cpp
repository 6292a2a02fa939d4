#include "app/session/InterruptedRecording.h"

#include <windows.h>

#include <string>

#include "app/services/DiagnosticLog.h"
#include "app/services/ShowMessage.h"
#include "framework/win/Handles.h"
#include "recovery/RecordingJournal.h"
#include "recovery/RecordingRepair.h"
#include "recovery/Win32RepairFiles.h"
#include "settings/Settings.h"
#include "settings/SettingsText.h"

namespace {

// A note is a few lines: anything longer is not one.
constexpr DWORD kJournalReadLimit = 256 * 1024;

std::wstring JournalPath() { return std::wstring(TextOf(SettingsFolder)) + L"\\" + recovery::kJournalFileName; }

std::wstring NameOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool ReadJournalFile(recovery::JournalEntry& entry) {
    win::Handle file(::CreateFileW(JournalPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    std::string text(kJournalReadLimit, '\0');
    DWORD read = 0;
    if (!::ReadFile(file.Get(), text.data(), kJournalReadLimit, &read, nullptr)) return false;
    text.resize(read);
    return recovery::ReadJournal(text, entry);
}

std::wstring RepairReport(const std::wstring& path, const recovery::RepairResult& result) {
    const std::wstring name = NameOf(path);
    if (result.outcome == recovery::RepairOutcome::Complete)
        return L"The recording '" + name + L"' is complete: nothing had to be repaired.";
    return recovery::RepairMessage(name, result);
}

// On the standard output when the program has one (started from a
// console or a script), else in the recorder's box.
void Tell(const std::wstring& text) {
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    const std::string line = EncodeUtf8(text) + "\r\n";
    DWORD written = 0;
    if (out && out != INVALID_HANDLE_VALUE &&
        ::WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) && written == line.size())
        return;
    ShowMessage(text);
}

}  // namespace

void WriteRecordingJournal(const std::wstring& path, std::int64_t started) {
    const std::wstring final = JournalPath();
    const std::wstring temporary = final + L".tmp";
    const std::string text = recovery::JournalText(recovery::JournalEntry{path, started});
    bool written = false;
    {
        win::Handle file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
        DWORD count = 0;
        written = file.IsValid() &&
                  ::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &count, nullptr) &&
                  count == text.size() && ::FlushFileBuffers(file.Get());
    }
    if (!written ||
        !::MoveFileExW(temporary.c_str(), final.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        AppendLog(L"\r\nCannot write the note of the recording in progress (%lu)", ::GetLastError());
        ::DeleteFileW(temporary.c_str());
    }
}

void RemoveRecordingJournal() { ::DeleteFileW(JournalPath().c_str()); }

void RepairInterruptedRecording() {
    if (::GetFileAttributesW(JournalPath().c_str()) == INVALID_FILE_ATTRIBUTES) return;
    recovery::JournalEntry entry;
    if (!ReadJournalFile(entry)) {
        AppendLog(L"\r\nThe note of the recording in progress cannot be read: removed");
        RemoveRecordingJournal();
        return;
    }
    recovery::Win32RepairFiles files;
    if (!files.Exists(entry.path)) {
        AppendLog(L"\r\nThe interrupted recording %ls is gone", entry.path.c_str());
        RemoveRecordingJournal();
        return;
    }
    const recovery::RepairResult result = recovery::RepairRecording(files, entry.path);
    AppendLog(L"\r\nRepair of %ls: outcome %d, %llu packets, %llu torn bytes", entry.path.c_str(),
              static_cast<int>(result.outcome), static_cast<unsigned long long>(result.packets),
              static_cast<unsigned long long>(result.tornBytes));
    const std::wstring message = recovery::RepairMessage(NameOf(entry.path), result);
    if (result.outcome == recovery::RepairOutcome::CannotRepair)
        ShowMessage(message + L" The file is " + entry.path + L".");
    else if (!message.empty())
        ShowMessage(message);
    RemoveRecordingJournal();
}

int RunRepairSwitch(const std::wstring& path) {
    recovery::Win32RepairFiles files;
    if (!files.Exists(path)) {
        Tell(L"There is no file " + path + L".");
        return 1;
    }
    const recovery::RepairResult result = recovery::RepairRecording(files, path);
    Tell(RepairReport(path, result));
    return result.outcome == recovery::RepairOutcome::CannotRepair ? 1 : 0;
}
