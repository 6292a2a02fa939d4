#include "winetest/asfwriter/Win32FileOutput.h"

#include <algorithm>

HRESULT Win32FileOutput::Create(const wchar_t* path) {
    m_file.Reset(::CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_file.IsValid()) return HRESULT_FROM_WIN32(::GetLastError());
    m_end = 0;
    m_lastError = S_OK;
    return S_OK;
}

bool Win32FileOutput::WriteAll(const uint8_t* data, size_t size) {
    while (size > 0) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 24));
        DWORD written = 0;
        if (!::WriteFile(m_file.Get(), data, chunk, &written, nullptr)) {
            m_lastError = HRESULT_FROM_WIN32(::GetLastError());
            return false;
        }
        // A short write is followed by another, which tells why it stopped.
        if (written == 0) {
            m_lastError = HRESULT_FROM_WIN32(ERROR_WRITE_FAULT);
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

void Win32FileOutput::Close() {
    // What a failed append left behind the last whole write goes.
    LARGE_INTEGER size{}, end{};
    end.QuadPart = static_cast<LONGLONG>(m_end);
    if (m_file.IsValid() && ::GetFileSizeEx(m_file.Get(), &size) && static_cast<uint64_t>(size.QuadPart) > m_end &&
        ::SetFilePointerEx(m_file.Get(), end, nullptr, FILE_BEGIN))
        ::SetEndOfFile(m_file.Get());
    m_file.Reset();
}

bool Win32FileOutput::Append(const uint8_t* data, size_t size) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(m_end);
    if (!m_file.IsValid() || !::SetFilePointerEx(m_file.Get(), at, nullptr, FILE_BEGIN)) return false;
    if (!WriteAll(data, size)) return false;
    m_end += size;
    return true;
}

bool Win32FileOutput::WriteAt(uint64_t offset, const uint8_t* data, size_t size) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!m_file.IsValid() || !::SetFilePointerEx(m_file.Get(), at, nullptr, FILE_BEGIN)) return false;
    if (!WriteAll(data, size)) return false;
    m_end = std::max(m_end, offset + size);
    return true;
}
