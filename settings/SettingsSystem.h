#pragma once
// What the settings code needs from the system, behind one small interface:
// the shell's known folders, folders and files by wide path, the recorder's
// message box and the end of the process, and the two Windows-version flags
// that decide which theme switches are kept. Win32SettingsSystem is the real
// one; native tests script a fake.

#include <istream>
#include <memory>
#include <string>

enum class FolderResult { Created, AlreadyExists, Failed };

enum class MessageButtons { Ok, YesNo };
// Buttons as the system numbers them.
constexpr int kMessageOk = 1;
constexpr int kMessageYes = 6;
constexpr int kMessageNo = 7;

class SettingsSystem {
public:
    virtual ~SettingsSystem() = default;

    // The user's roaming application-data folder and videos folder, each
    // created if missing; false when the shell cannot give it.
    virtual bool ApplicationDataFolder(std::wstring& folder) = 0;
    virtual bool VideosFolder(std::wstring& folder) = 0;

    virtual FolderResult CreateFolder(const std::wstring& path) = 0;

    // Copies a file; without overwrite an existing target is left alone and
    // the copy fails.
    virtual bool CopyOneFile(const std::wstring& from, const std::wstring& to, bool overwrite) = 0;
    // The file's bytes as they are on disk; null when it cannot be opened.
    virtual std::unique_ptr<std::istream> OpenForReading(const std::wstring& path) = 0;
    // Creates or truncates the file, writes all bytes and has them on the
    // disk before returning true.
    virtual bool WriteNewFile(const std::wstring& path, const std::string& bytes) = 0;
    // Puts source in the place of target in one step: afterwards target is
    // either its old self or source's content, never a mixture.
    virtual bool ReplaceFileAtomically(const std::wstring& source, const std::wstring& target) = 0;
    virtual void RemoveFile(const std::wstring& path) = 0;

    // The recorder's message box: caption "Telvane Message", no owner,
    // warning icon, task-modal, topmost. Returns the button pressed.
    virtual int ShowMessage(const std::wstring& text, MessageButtons buttons) = 0;
    // Ends the process; a fake returns, so callers return right after.
    virtual void EndProcess(unsigned exitCode) = 0;

    // The start-up probes' version flags: Vista or later; and every version
    // from 6.0 on except 6.1 (Windows 7).
    virtual bool VistaOrLater() = 0;
    virtual bool NotWindows7() = 0;
};

// The system in use. Start-up installs the Win32 one before the first
// settings call; tests install their fake. Not owned.
void SetSettingsSystem(SettingsSystem* system);
SettingsSystem& CurrentSettingsSystem();
