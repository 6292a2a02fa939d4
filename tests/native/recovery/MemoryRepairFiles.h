#pragma once
// RepairFiles in memory, for the tests and the fuzz target: files by path,
// a write budget after which every write, truncation and flush fails (a
// failing write leaves half its bytes, as a process that dies in it), and a
// count of reads that asked for bytes past a file's end.

#include <map>
#include <string>
#include <vector>

#include "recovery/RepairFile.h"

class MemoryRepairFiles final : public recovery::RepairFiles {
public:
    std::map<std::wstring, std::vector<uint8_t>> files;
    int writesLeft = -1;  // -1: no limit
    int outsideReads = 0;

    std::unique_ptr<recovery::RepairFile> Open(const std::wstring& path) override;
    std::unique_ptr<recovery::RepairFile> Create(const std::wstring& path) override;
    bool Exists(const std::wstring& path) override { return files.count(path) != 0; }
    bool Remove(const std::wstring& path) override { return files.erase(path) != 0; }

    // Takes one write from the budget; false when none is left.
    bool TakeWrite();
};
