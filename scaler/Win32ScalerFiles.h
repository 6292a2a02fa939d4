#pragma once
// The scaler's file operations over Win32, with wide paths.

#include "scaler/ScalerFiles.h"

namespace scaler {

class Win32ScalerFiles : public ScalerFiles {
public:
    ReadResult ReadWhole(const std::wstring& path, std::vector<uint8_t>& bytes) override;
    bool CreateEmpty(const std::wstring& path) override;
    bool WriteWhole(const std::wstring& path, const std::vector<uint8_t>& bytes) override;
    bool Replace(const std::wstring& from, const std::wstring& to) override;
    void Remove(const std::wstring& path) override;
};

}  // namespace scaler
