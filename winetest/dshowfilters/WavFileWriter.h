#pragma once
// WavFileWriter: one RIFF WAVE file being written. Open writes the header
// with the format chunk and an empty data chunk; Append adds data; Close
// puts the real chunk sizes in and closes the file, so the file is
// complete when Close returns. Sizes are 32-bit in RIFF: data that would
// pass 4 GB is refused rather than wrapped.

#include <windows.h>

#include <mmreg.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/win/Handles.h"

class WavFileWriter {
public:
    HRESULT Open(const std::wstring& path, const WAVEFORMATEX& format, size_t formatBytes);
    HRESULT Append(const BYTE* data, size_t bytes);
    HRESULT Close();
    bool IsOpen() const { return static_cast<bool>(m_file); }
    uint32_t DataBytes() const { return m_dataBytes; }

private:
    HRESULT Write(const void* data, DWORD bytes);
    HRESULT WriteAt(DWORD offset, uint32_t value);

    win::Handle m_file;
    DWORD m_riffSizeOffset = 0;
    DWORD m_dataSizeOffset = 0;
    uint32_t m_dataBytes = 0;
    uint32_t m_headerBytes = 0;
};
