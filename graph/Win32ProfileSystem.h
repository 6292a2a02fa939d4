#pragma once
// The profile writer's system over Win32: the file through CreateFile and
// the recorder's message box.

#include "graph/ProfileSystem.h"

class Win32ProfileSystem : public ProfileSystem {
public:
    ProfileFileResult WriteProfileFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes) override;
    void ShowMessage(const std::wstring& text) override;
};
