#pragma once
// What the profile writer needs from the system: the one file it writes and
// the recorder's message box. Win32ProfileSystem is the real one; native
// tests install their own.

#include <cstdint>
#include <string>
#include <vector>

enum class ProfileFileResult { Written, CannotCreate, CannotWrite };

class ProfileSystem {
public:
    virtual ~ProfileSystem() = default;
    // Creates the file for writing, not shared, always replacing an old one,
    // and writes all bytes.
    virtual ProfileFileResult WriteProfileFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes) = 0;
    virtual void ShowMessage(const std::wstring& text) = 0;
};

// The system in use; start-up installs the Win32 one, tests their own. Not
// owned. Null until installed: the writers then fail without a file.
void SetProfileSystem(ProfileSystem* system);
ProfileSystem* CurrentProfileSystem();
