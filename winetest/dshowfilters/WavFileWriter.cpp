#include "winetest/dshowfilters/WavFileWriter.h"

#include <cstring>
#include <limits>

namespace {

void PutU32(std::vector<BYTE>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<BYTE>(v >> (8 * i)));
}

void PutTag(std::vector<BYTE>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

}  // namespace

HRESULT WavFileWriter::Open(const std::wstring& path, const WAVEFORMATEX& format, size_t formatBytes) {
    if (m_file) return E_UNEXPECTED;
    // The fmt chunk is the WAVEFORMATEX as negotiated; plain PCM has no cbSize.
    size_t fmtBytes = format.wFormatTag == WAVE_FORMAT_PCM ? 16 : sizeof(WAVEFORMATEX) + format.cbSize;
    if (fmtBytes > formatBytes || fmtBytes > 0xFFFF) return E_INVALIDARG;

    std::vector<BYTE> header;
    try {
        PutTag(header, "RIFF");
        m_riffSizeOffset = static_cast<DWORD>(header.size());
        PutU32(header, 0);
        PutTag(header, "WAVE");
        PutTag(header, "fmt ");
        PutU32(header, static_cast<uint32_t>(fmtBytes));
        const BYTE* fmt = reinterpret_cast<const BYTE*>(&format);
        header.insert(header.end(), fmt, fmt + fmtBytes);
        if (fmtBytes & 1) header.push_back(0);
        PutTag(header, "data");
        m_dataSizeOffset = static_cast<DWORD>(header.size());
        PutU32(header, 0);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    m_file.Reset(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_file) return HRESULT_FROM_WIN32(::GetLastError());
    m_dataBytes = 0;
    m_headerBytes = static_cast<uint32_t>(header.size());
    HRESULT hr = Write(header.data(), static_cast<DWORD>(header.size()));
    if (FAILED(hr)) m_file.Reset();
    return hr;
}

HRESULT WavFileWriter::Append(const BYTE* data, size_t bytes) {
    if (!m_file) return E_UNEXPECTED;
    // The RIFF size counts header and data (less 8) and must stay below 4 GB,
    // with room for a pad byte.
    const uint64_t limit = std::numeric_limits<uint32_t>::max() - m_headerBytes - 1;
    if (bytes > limit - m_dataBytes) return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
    HRESULT hr = Write(data, static_cast<DWORD>(bytes));
    if (SUCCEEDED(hr)) m_dataBytes += static_cast<uint32_t>(bytes);
    return hr;
}

HRESULT WavFileWriter::Close() {
    if (!m_file) return S_FALSE;
    HRESULT hr = S_OK;
    if (m_dataBytes & 1) {
        BYTE pad = 0;
        hr = Write(&pad, 1);
    }
    uint32_t padded = m_dataBytes + (m_dataBytes & 1);
    if (SUCCEEDED(hr)) hr = WriteAt(m_dataSizeOffset, m_dataBytes);
    if (SUCCEEDED(hr)) hr = WriteAt(m_riffSizeOffset, m_headerBytes - 8 + padded);
    if (SUCCEEDED(hr) && !::FlushFileBuffers(m_file.Get())) hr = HRESULT_FROM_WIN32(::GetLastError());
    m_file.Reset();
    return hr;
}

HRESULT WavFileWriter::Write(const void* data, DWORD bytes) {
    DWORD written = 0;
    if (!::WriteFile(m_file.Get(), data, bytes, &written, nullptr)) return HRESULT_FROM_WIN32(::GetLastError());
    return written == bytes ? S_OK : HRESULT_FROM_WIN32(ERROR_WRITE_FAULT);
}

HRESULT WavFileWriter::WriteAt(DWORD offset, uint32_t value) {
    BYTE bytes[4];
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<BYTE>(value >> (8 * i));
    LARGE_INTEGER pos;
    pos.QuadPart = offset;
    if (!::SetFilePointerEx(m_file.Get(), pos, nullptr, FILE_BEGIN)) return HRESULT_FROM_WIN32(::GetLastError());
    HRESULT hr = Write(bytes, 4);
    LARGE_INTEGER zero{};
    ::SetFilePointerEx(m_file.Get(), zero, nullptr, FILE_END);
    return hr;
}
