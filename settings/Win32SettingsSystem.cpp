#include "settings/Win32SettingsSystem.h"

#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/services/ShowMessage.h"
#include "framework/win/Handles.h"

namespace {

bool ShellFolder(int csidl, std::wstring& folder) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path))) return false;
    folder = path;
    return !folder.empty();
}

}  // namespace

bool Win32SettingsSystem::ApplicationDataFolder(std::wstring& folder) { return ShellFolder(CSIDL_APPDATA, folder); }

// CSIDL_MYVIDEO is FOLDERID_Videos from Vista on and exists before it, so one
// call serves every version the recorder knows.
bool Win32SettingsSystem::VideosFolder(std::wstring& folder) { return ShellFolder(CSIDL_MYVIDEO, folder); }

FolderResult Win32SettingsSystem::CreateFolder(const std::wstring& path) {
    if (::CreateDirectoryW(path.c_str(), nullptr)) return FolderResult::Created;
    return ::GetLastError() == ERROR_ALREADY_EXISTS ? FolderResult::AlreadyExists : FolderResult::Failed;
}

bool Win32SettingsSystem::CopyOneFile(const std::wstring& from, const std::wstring& to, bool overwrite) {
    if (!::CopyFileW(from.c_str(), to.c_str(), overwrite ? FALSE : TRUE)) return false;
    // CopyFile carries the attributes over; a read-only init file beside the
    // program must not make the user's settings file one that cannot be saved.
    const DWORD attributes = ::GetFileAttributesW(to.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        ::SetFileAttributesW(to.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    return true;
}

// libstdc++ for mingw opens a std::filesystem::path through _wfopen, so any
// character of the user's folder names reaches the file system intact.
std::unique_ptr<std::istream> Win32SettingsSystem::OpenForReading(const std::wstring& path) {
    auto in = std::make_unique<std::ifstream>(std::filesystem::path(path), std::ios::in | std::ios::binary);
    if (!in->is_open()) return nullptr;
    return in;
}

bool Win32SettingsSystem::WriteNewFile(const std::wstring& path, const std::string& bytes) {
    win::Handle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        if (!::WriteFile(file.Get(), bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    // The rename that follows is written through; the data must be on the
    // disk before it, or a power loss could leave a renamed empty file.
    return ::FlushFileBuffers(file.Get()) != FALSE;
}

bool Win32SettingsSystem::ReplaceFileAtomically(const std::wstring& source, const std::wstring& target) {
    // A rename within one folder: the target is either the old or the new
    // file at every moment. MoveFileEx also covers a target that is missing,
    // which ReplaceFile refuses.
    return ::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

void Win32SettingsSystem::RemoveFile(const std::wstring& path) { ::DeleteFileW(path.c_str()); }

int Win32SettingsSystem::ShowMessage(const std::wstring& text, MessageButtons buttons) {
    return ::ShowMessage(text, buttons == MessageButtons::YesNo ? MB_YESNO : MB_OK);
}

void Win32SettingsSystem::EndProcess(unsigned exitCode) { ::ExitProcess(exitCode); }
