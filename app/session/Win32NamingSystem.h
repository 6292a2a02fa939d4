#pragma once
// NamingSystem over Win32: FindFirstFile/FindNextFile, GetTickCount and the
// recorder's message box.

#include "app/session/NamingSystem.h"

class Win32NamingSystem final : public NamingSystem {
public:
    bool ListFolder(const std::wstring& folder, std::vector<FolderEntry>& entries) override;
    std::uint32_t TickCount() override;
    void ShowMessage(const std::wstring& text) override;
};
