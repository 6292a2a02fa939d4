#include "scaler/Win32ScalerFiles.h"

#include <windows.h>

#include <algorithm>

#include "framework/win/Handles.h"

namespace scaler {

ReadResult Win32ScalerFiles::ReadWhole(const std::wstring& path, std::vector<uint8_t>& bytes) {
    bytes.clear();
    win::Handle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return ReadResult::CannotOpen;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0) return ReadResult::CannotOpen;
    if (static_cast<uint64_t>(size.QuadPart) > kMaxFileBytes) return ReadResult::TooLarge;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        if (!::ReadFile(file.Get(), bytes.data() + done, chunk, &read, nullptr) || read == 0) {
            bytes.clear();
            return ReadResult::CannotOpen;
        }
        done += read;
    }
    return ReadResult::Ok;
}

bool Win32ScalerFiles::CreateEmpty(const std::wstring& path) {
    win::Handle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

bool Win32ScalerFiles::WriteWhole(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    win::Handle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        if (!::WriteFile(file.Get(), bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    // The rename that follows is written through; the data must be on the
    // disk before it.
    return ::FlushFileBuffers(file.Get()) != FALSE;
}

bool Win32ScalerFiles::Replace(const std::wstring& from, const std::wstring& to) {
    return ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

void Win32ScalerFiles::Remove(const std::wstring& path) { ::DeleteFileW(path.c_str()); }

}  // namespace scaler
