#pragma once
// What output naming needs from the system: the entries of the recordings
// folder, the tick count for names of last resort, and the recorder's
// message box. Win32NamingSystem is the real one; native tests list real
// temporary folders through their own implementation.

#include <cstdint>
#include <string>
#include <vector>

struct FolderEntry {
    std::wstring name;
    // The attribute word as the system reports it (FILE_ATTRIBUTE_*).
    std::uint32_t attributes = 0;
};

// FILE_ATTRIBUTE_DIRECTORY: an entry whose word is exactly this is a plain
// folder and is not compared with the new name.
constexpr std::uint32_t kDirectoryAttribute = 0x10;

class NamingSystem {
public:
    virtual ~NamingSystem() = default;

    // Every entry of the folder ("%s\*.*"), "." and ".." included when the
    // system gives them. False when the folder cannot be listed.
    virtual bool ListFolder(const std::wstring& folder, std::vector<FolderEntry>& entries) = 0;
    // Milliseconds since the system started, wrapping at 32 bits.
    virtual std::uint32_t TickCount() = 0;
    // The recorder's message box with OK ("Telvane Message").
    virtual void ShowMessage(const std::wstring& text) = 0;
};

// The system in use. Start-up installs the Win32 one before the first
// recording; tests install their own. Not owned.
void SetNamingSystem(NamingSystem* system);
NamingSystem& CurrentNamingSystem();
