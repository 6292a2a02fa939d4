#pragma once
// A NamingSystem for the naming tests that lists real folders (through
// std::filesystem, "." and ".." first as Windows gives them), answers the
// tick count from the script and records the messages it is asked to show.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/session/NamingSystem.h"

class FolderNamingSystem final : public NamingSystem {
public:
    bool ListFolder(const std::wstring& folder, std::vector<FolderEntry>& entries) override;
    std::uint32_t TickCount() override { return tickCount; }
    void ShowMessage(const std::wstring& text) override { messages.push_back(text); }

    // --- script ---
    std::uint32_t tickCount = 0xBEEF;

    // --- record ---
    std::vector<std::wstring> listed;
    std::vector<std::wstring> messages;
};

// Wide names on disk whatever the process's locale: UTF-8 bytes on Linux,
// UTF-16 on Windows.
std::filesystem::path PathOf(const std::wstring& path);
std::filesystem::path PathOf(const std::filesystem::path& folder, const std::wstring& name);
std::wstring WideOf(const std::filesystem::path& path);
