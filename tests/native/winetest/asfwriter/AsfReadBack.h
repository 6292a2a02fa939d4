#pragma once
// Test helpers: a stdio output for the muxer, and ffprobe/ffmpeg read-backs
// of the written file.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "winetest/asfwriter/AsfOutput.h"

class StdioOutput : public AsfOutput {
public:
    explicit StdioOutput(const std::string& path);
    ~StdioOutput() override;
    StdioOutput(const StdioOutput&) = delete;
    StdioOutput& operator=(const StdioOutput&) = delete;
    bool IsOpen() const { return m_file != nullptr; }
    bool Append(const uint8_t* data, size_t size) override;
    bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) override;
    void Close();

private:
    std::FILE* m_file;
};

// A fresh path in the test's temporary folder.
std::string TempAsfPath(const std::string& name);
// Standard output of a shell command; exitCode receives its status.
std::string RunCommand(const std::string& command, int* exitCode = nullptr);
// ffprobe's "-show_entries" answer, one value per line.
std::vector<std::string> Probe(const std::string& path, const std::string& entries, const std::string& select = "");
// ffmpeg's decoded output of one stream as raw bytes.
std::vector<uint8_t> Decode(const std::string& path, const std::string& args);
std::vector<uint8_t> ReadFileBytes(const std::string& path);
