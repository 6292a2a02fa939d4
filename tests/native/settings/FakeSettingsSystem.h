#pragma once
// A scriptable SettingsSystem for the settings tests. Files and folders are
// real, under a fresh temporary folder per fake: ".\" names the fake
// program's folder there, other paths are used as given (on Linux with "\"
// turned into "/"). Messages, ends of the process and the replace step are
// recorded and answered from the script.

#include <filesystem>
#include <string>
#include <vector>

#include "settings/SettingsSystem.h"

class FakeSettingsSystem final : public SettingsSystem {
public:
    FakeSettingsSystem();
    ~FakeSettingsSystem() override;

    // --- script ---
    bool appDataAvailable = true;
    std::wstring appData;  // default: <root>\AppData
    bool videosAvailable = true;
    std::wstring videos;  // default: <root>\Videos
    bool createFolderFails = false;
    bool writeFails = false;          // WriteNewFile writes half the bytes and fails
    bool replaceFails = false;        // ReplaceFileAtomically fails, nothing moves
    bool replaceInterrupted = false;  // the process "dies" at the replace: throws Interrupted
    int messageAnswer = kMessageOk;
    bool vistaOrLater = true;
    bool notWindows7 = true;

    struct Interrupted {};

    // --- record ---
    struct Message {
        std::wstring text;
        MessageButtons buttons;
    };
    std::vector<Message> messages;
    std::vector<unsigned> endedWith;
    std::vector<std::wstring> createdFolders;
    std::vector<std::wstring> replaced;  // "source -> target"

    // --- helpers for tests ---
    const std::wstring& Root() const { return m_rootWide; }
    // The program folder that ".\" names.
    std::wstring ProgramFolder() const { return m_rootWide + Sep() + L"program"; }
    static std::wstring Sep();
    std::filesystem::path OnDisk(const std::wstring& path) const;
    bool Exists(const std::wstring& path) const;
    std::string ReadBytes(const std::wstring& path) const;
    void WriteBytes(const std::wstring& path, const std::string& bytes) const;

    // --- SettingsSystem ---
    bool ApplicationDataFolder(std::wstring& folder) override;
    bool VideosFolder(std::wstring& folder) override;
    FolderResult CreateFolder(const std::wstring& path) override;
    bool CopyOneFile(const std::wstring& from, const std::wstring& to, bool overwrite) override;
    std::unique_ptr<std::istream> OpenForReading(const std::wstring& path) override;
    bool WriteNewFile(const std::wstring& path, const std::string& bytes) override;
    bool ReplaceFileAtomically(const std::wstring& source, const std::wstring& target) override;
    void RemoveFile(const std::wstring& path) override;
    int ShowMessage(const std::wstring& text, MessageButtons buttons) override;
    void EndProcess(unsigned exitCode) override;
    bool VistaOrLater() override { return vistaOrLater; }
    bool NotWindows7() override { return notWindows7; }

private:
    std::filesystem::path m_root;
    std::wstring m_rootWide;
};
