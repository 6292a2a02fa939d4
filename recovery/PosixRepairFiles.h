#pragma once
// RepairFiles over POSIX files, for the native tests, the benchmark and the
// fuzz target (the program has its own over Win32). Wide paths are taken as
// UTF-8 names.

#include "recovery/RepairFile.h"

namespace recovery {

class PosixRepairFiles final : public RepairFiles {
public:
    std::unique_ptr<RepairFile> Open(const std::wstring& path) override;
    std::unique_ptr<RepairFile> Create(const std::wstring& path) override;
    bool Exists(const std::wstring& path) override;
    bool Remove(const std::wstring& path) override;
};

}  // namespace recovery
