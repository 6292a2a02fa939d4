#pragma once
// Where the muxer's bytes go: appended in order, with the header rewritten
// in place at the end. The filter writes to a Win32 file; tests to stdio.

#include <cstddef>
#include <cstdint>

class AsfOutput {
public:
    virtual ~AsfOutput() = default;
    virtual bool Append(const uint8_t* data, size_t size) = 0;
    virtual bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) = 0;
};
