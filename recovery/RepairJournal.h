#pragma once
// A repair's changes, planned before anything is written, and the side file
// that keeps them: written and flushed before the recording is touched, so
// a repair that dies halfway is finished from it at the next start, and
// removed once the recording holds them.

#include <cstdint>
#include <vector>

#include "recovery/RepairFile.h"

namespace recovery {

struct FilePatch {
    uint64_t offset = 0;
    std::vector<uint8_t> bytes;
};

struct RepairPlan {
    uint64_t originalLength = 0;
    uint64_t finalLength = 0;
    // Bytes the repair leaves alone (the file's identity): a side file whose
    // bytes are not in the recording belongs to another file.
    FilePatch expected;
    std::vector<FilePatch> patches;  // in the order they are written
};

// The side file's bytes: a tag, both lengths, the expected bytes, the
// patches, and a checksum over all of it so that a side file cut short is
// known as such.
std::vector<uint8_t> EncodeRepairPlan(const RepairPlan& plan);
// False for anything but a whole side file whose patches lie inside the
// final length.
bool DecodeRepairPlan(const std::vector<uint8_t>& bytes, RepairPlan& plan);

// The file's length lies between the plan's two lengths and it holds the
// expected bytes: the plan may be written into it.
bool PlanFits(RepairFile& file, const RepairPlan& plan);

// Writes the patches, cuts the file to its final length and flushes it.
// Writing it again gives the same file, so an interrupted one is simply
// written again.
bool ApplyRepairPlan(RepairFile& file, const RepairPlan& plan);

}  // namespace recovery
