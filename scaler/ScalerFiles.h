#pragma once
// The file operations the scaler needs, as a narrow seam: Win32 in the
// program, an in-memory fake in the native tests.

#include <cstdint>
#include <string>
#include <vector>

namespace scaler {

enum class ReadResult { Ok, CannotOpen, TooLarge };

class ScalerFiles {
public:
    virtual ~ScalerFiles() = default;
    // The whole file. TooLarge for files no skin could be (see kMaxFileBytes).
    virtual ReadResult ReadWhole(const std::wstring& path, std::vector<uint8_t>& bytes) = 0;
    // Creates the file empty, or truncates it.
    virtual bool CreateEmpty(const std::wstring& path) = 0;
    virtual bool WriteWhole(const std::wstring& path, const std::vector<uint8_t>& bytes) = 0;
    // Puts `from` in place of `to` in one step: `to` is either the old or
    // the new file at every moment.
    virtual bool Replace(const std::wstring& from, const std::wstring& to) = 0;
    // Removes the file; a missing file is no error.
    virtual void Remove(const std::wstring& path) = 0;
};

// The largest input read: a 32-bit image at the pixel limit with headers
// and a full palette to spare.
constexpr uint64_t kMaxFileBytes = uint64_t{80} * 1024 * 1024;

}  // namespace scaler
