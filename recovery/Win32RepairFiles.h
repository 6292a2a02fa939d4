#pragma once
// RepairFiles over Win32 files, for the program.

#include "recovery/RepairFile.h"

namespace recovery {

class Win32RepairFiles final : public RepairFiles {
public:
    std::unique_ptr<RepairFile> Open(const std::wstring& path) override;
    std::unique_ptr<RepairFile> Create(const std::wstring& path) override;
    bool Exists(const std::wstring& path) override;
    bool Remove(const std::wstring& path) override;
};

}  // namespace recovery
