#include "tests/wine/winetest/dshowfilters/WavFile.h"

#include <windows.h>

#include <cstring>

#include "framework/win/Handles.h"

std::vector<uint8_t> ReadFileBytes(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    win::Handle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    if (!file) return bytes;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart > (256 << 20)) return bytes;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!bytes.empty() &&
        (!::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) || got != bytes.size()))
        bytes.clear();
    return bytes;
}

namespace {
uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
}  // namespace

WavFile ReadWavFile(const std::wstring& path) {
    WavFile wav;
    auto bytes = ReadFileBytes(path);
    wav.fileSize = bytes.size();
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4)) {
        wav.error = "no RIFF WAVE header";
        return wav;
    }
    wav.riffSize = U32(bytes.data() + 4);
    bool haveFmt = false, haveData = false;
    size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        const uint8_t* chunk = bytes.data() + pos;
        uint32_t size = U32(chunk + 4);
        if (size > bytes.size() - pos - 8) {
            wav.error = "chunk runs past the end of the file";
            return wav;
        }
        if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16) {
            haveFmt = true;
            wav.fmtSize = size;
            wav.formatTag = U16(chunk + 8);
            wav.channels = U16(chunk + 10);
            wav.sampleRate = U32(chunk + 12);
            wav.avgBytesPerSec = U32(chunk + 16);
            wav.blockAlign = U16(chunk + 20);
            wav.bitsPerSample = U16(chunk + 22);
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            haveData = true;
            wav.dataSize = size;
            wav.data.assign(chunk + 8, chunk + 8 + size);
        }
        pos += 8 + size + (size & 1);
    }
    if (!haveFmt || !haveData) {
        wav.error = "fmt or data chunk missing";
        return wav;
    }
    wav.ok = true;
    return wav;
}
