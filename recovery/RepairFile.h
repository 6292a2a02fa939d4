#pragma once
// What the repair of a recording needs from the file system: the recording
// opened for reading and writing in place, and the side file beside it that
// holds the planned changes until they are on the disk. The program
// implements it over Win32; PosixRepairFiles serves the native tests, the
// benchmark and the fuzz target.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace recovery {

class RepairFile {
public:
    virtual ~RepairFile() = default;
    virtual bool Size(uint64_t& size) = 0;
    // All `size` bytes from offset, or false.
    virtual bool ReadAt(uint64_t offset, uint8_t* data, size_t size) = 0;
    // Writes all bytes at offset, extending the file when they pass its end.
    virtual bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) = 0;
    virtual bool Truncate(uint64_t size) = 0;
    // True once everything written is on the disk.
    virtual bool Flush() = 0;
};

class RepairFiles {
public:
    virtual ~RepairFiles() = default;
    // An existing file for reading and writing; null when it cannot be opened.
    virtual std::unique_ptr<RepairFile> Open(const std::wstring& path) = 0;
    // A new, empty file for writing (an existing one is emptied); null on failure.
    virtual std::unique_ptr<RepairFile> Create(const std::wstring& path) = 0;
    virtual bool Exists(const std::wstring& path) = 0;
    virtual bool Remove(const std::wstring& path) = 0;
};

}  // namespace recovery
