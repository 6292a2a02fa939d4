#include "app/session/Win32NamingSystem.h"

#include <windows.h>

#include "app/services/ShowMessage.h"
#include "framework/win/Handles.h"

bool Win32NamingSystem::ListFolder(const std::wstring& folder, std::vector<FolderEntry>& entries) {
    entries.clear();
    const std::wstring pattern = folder + L"\\*.*";
    WIN32_FIND_DATAW data{};
    win::FindHandle find(::FindFirstFileW(pattern.c_str(), &data));
    if (!find) return false;
    do {
        entries.push_back(FolderEntry{data.cFileName, data.dwFileAttributes});
    } while (::FindNextFileW(find.Get(), &data));
    // Anything but the normal end of the listing means we did not see every
    // name, and a name we did not see could be overwritten.
    return ::GetLastError() == ERROR_NO_MORE_FILES;
}

std::uint32_t Win32NamingSystem::TickCount() { return ::GetTickCount(); }

void Win32NamingSystem::ShowMessage(const std::wstring& text) { ::ShowMessage(text, MB_OK); }
