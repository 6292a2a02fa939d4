#pragma once
// The muxer's output over a Win32 file, created (replacing any old one) when
// the writer pauses and closed when it stops.

#include <windows.h>

#include "framework/win/Handles.h"
#include "winetest/asfwriter/AsfOutput.h"

class Win32FileOutput : public AsfOutput {
public:
    // S_OK or the creation's error as an HRESULT.
    HRESULT Create(const wchar_t* path);
    // Closes the file, cut back to the end of its last whole write.
    void Close();
    // Why the last write failed, as an HRESULT (S_OK before any failure).
    HRESULT LastError() const { return m_lastError; }

    bool Append(const uint8_t* data, size_t size) override;
    bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) override;

private:
    bool WriteAll(const uint8_t* data, size_t size);

    win::Handle m_file;
    uint64_t m_end = 0;
    HRESULT m_lastError = S_OK;
};
