#include "graph/Win32ProfileSystem.h"

#include <windows.h>

#include "app/services/ShowMessage.h"
#include "framework/win/Handles.h"

ProfileFileResult Win32ProfileSystem::WriteProfileFile(const std::wstring& path,
                                                       const std::vector<std::uint8_t>& bytes) {
    win::Handle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return ProfileFileResult::CannotCreate;
    DWORD written = 0;
    if (!::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        return ProfileFileResult::CannotWrite;
    return ProfileFileResult::Written;
}

void Win32ProfileSystem::ShowMessage(const std::wstring& text) { ::ShowMessage(text); }
