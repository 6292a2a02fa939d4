#include "recovery/Win32RepairFiles.h"

#include <windows.h>

#include <algorithm>

#include "framework/win/Handles.h"

namespace recovery {

namespace {

constexpr size_t kChunk = 1u << 24;

class Win32RepairFile final : public RepairFile {
public:
    explicit Win32RepairFile(HANDLE file) : m_file(file) {}

    bool Size(uint64_t& size) override {
        LARGE_INTEGER length{};
        if (!::GetFileSizeEx(m_file.Get(), &length)) return false;
        size = static_cast<uint64_t>(length.QuadPart);
        return true;
    }
    bool ReadAt(uint64_t offset, uint8_t* data, size_t size) override {
        while (size > 0) {
            const DWORD chunk = static_cast<DWORD>(std::min(size, kChunk));
            OVERLAPPED at = Offset(offset);
            DWORD read = 0;
            if (!::ReadFile(m_file.Get(), data, chunk, &read, &at) || read != chunk) return false;
            data += chunk;
            size -= chunk;
            offset += chunk;
        }
        return true;
    }
    bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) override {
        while (size > 0) {
            const DWORD chunk = static_cast<DWORD>(std::min(size, kChunk));
            OVERLAPPED at = Offset(offset);
            DWORD written = 0;
            if (!::WriteFile(m_file.Get(), data, chunk, &written, &at) || written != chunk) return false;
            data += chunk;
            size -= chunk;
            offset += chunk;
        }
        return true;
    }
    bool Truncate(uint64_t size) override {
        LARGE_INTEGER at{};
        at.QuadPart = static_cast<LONGLONG>(size);
        return ::SetFilePointerEx(m_file.Get(), at, nullptr, FILE_BEGIN) && ::SetEndOfFile(m_file.Get());
    }
    bool Flush() override { return ::FlushFileBuffers(m_file.Get()) != FALSE; }

private:
    static OVERLAPPED Offset(uint64_t offset) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        return at;
    }

    win::Handle m_file;
};

std::unique_ptr<RepairFile> OpenWith(const std::wstring& path, DWORD disposition) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32RepairFile>(file);
}

}  // namespace

std::unique_ptr<RepairFile> Win32RepairFiles::Open(const std::wstring& path) { return OpenWith(path, OPEN_EXISTING); }

std::unique_ptr<RepairFile> Win32RepairFiles::Create(const std::wstring& path) { return OpenWith(path, CREATE_ALWAYS); }

bool Win32RepairFiles::Exists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32RepairFiles::Remove(const std::wstring& path) { return ::DeleteFileW(path.c_str()) != FALSE; }

}  // namespace recovery
