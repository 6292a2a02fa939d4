#include "tests/wine/driver/Files.h"

#include <windows.h>

#include <algorithm>

#include "framework/win/Handles.h"

namespace driver {
namespace {

constexpr DWORD kMaxChunk = 1u << 20;
constexpr LONGLONG kMaxReadSize = LONGLONG{1} << 30;

}  // namespace

bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    win::Handle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    size_t pos = 0;
    while (pos < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - pos, kMaxChunk));
        DWORD written = 0;
        if (!::WriteFile(file.Get(), bytes.data() + pos, chunk, &written, nullptr) || written == 0) return false;
        pos += written;
    }
    return true;
}

bool ReadFileBytes(const std::wstring& path, std::vector<uint8_t>* bytes) {
    bytes->clear();
    win::Handle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart > kMaxReadSize) return false;
    bytes->resize(static_cast<size_t>(size.QuadPart));
    size_t pos = 0;
    while (pos < bytes->size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes->size() - pos, kMaxChunk));
        DWORD read = 0;
        if (!::ReadFile(file.Get(), bytes->data() + pos, chunk, &read, nullptr) || read == 0) {
            bytes->clear();
            return false;
        }
        pos += read;
    }
    return true;
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace driver
