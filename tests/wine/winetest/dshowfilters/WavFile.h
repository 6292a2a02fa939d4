#pragma once
// Reads a RIFF WAVE file as the tests see it from outside: the bytes on
// disk, the chunks found by walking them, the fmt fields and the data.

#include <cstdint>
#include <string>
#include <vector>

struct WavFile {
    bool ok = false;
    std::string error;
    uint32_t riffSize = 0;
    uint32_t fmtSize = 0;
    uint16_t formatTag = 0, channels = 0, blockAlign = 0, bitsPerSample = 0;
    uint32_t sampleRate = 0, avgBytesPerSec = 0;
    uint32_t dataSize = 0;
    std::vector<uint8_t> data;
    size_t fileSize = 0;
};

WavFile ReadWavFile(const std::wstring& path);
std::vector<uint8_t> ReadFileBytes(const std::wstring& path);
