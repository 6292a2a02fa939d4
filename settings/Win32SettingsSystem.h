#pragma once
// SettingsSystem over Win32: the shell's known folders, wide-path files,
// the recorder's message box and ExitProcess. The version flags are the
// start-up probes' own variables, read each time they are asked for.

#include "settings/SettingsSystem.h"

class Win32SettingsSystem final : public SettingsSystem {
public:
    Win32SettingsSystem(const bool& vistaOrLater, const bool& notWindows7)
        : m_vistaOrLater(vistaOrLater), m_notWindows7(notWindows7) {}

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
    bool VistaOrLater() override { return m_vistaOrLater; }
    bool NotWindows7() override { return m_notWindows7; }

private:
    const bool& m_vistaOrLater;
    const bool& m_notWindows7;
};
