#pragma once
// Whole-file reads and writes under wide paths, for screenshots and for
// checking the files a driven program writes.

#include <cstdint>
#include <string>
#include <vector>

namespace driver {

// Creates or replaces the file with exactly `bytes`. False if it could not
// be opened or not all bytes were written.
bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes);

// Reads the whole file into *bytes. False (and *bytes empty) if it cannot be
// opened or read, or is larger than 1 GiB.
bool ReadFileBytes(const std::wstring& path, std::vector<uint8_t>* bytes);

// Whether a file (not a folder) exists at `path`.
bool FileExists(const std::wstring& path);

}  // namespace driver
