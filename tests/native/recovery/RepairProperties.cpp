#include "tests/native/recovery/RepairProperties.h"

#include <vector>

#include "recovery/AsfLayout.h"
#include "recovery/RecordingRepair.h"
#include "tests/native/recovery/MemoryRepairFiles.h"

std::string CheckRepairProperties(const uint8_t* data, size_t size) {
    using namespace recovery;
    const std::wstring path = L"any.wmv";
    const std::vector<uint8_t> input(data, data + size);
    MemoryRepairFiles files;
    files.files[path] = input;
    const RepairResult r = RepairRecording(files, path);
    const std::vector<uint8_t> after = files.files[path];
    if (files.outsideReads) return "read past the end of the file";
    if (files.files.size() != 1) return "left its side file";
    if (r.outcome != RepairOutcome::Repaired) return after == input ? "" : "changed a file it did not repair";
    if (after.size() != r.lengthAfter || after.size() > size + r.indexBytes) return "grew beyond its index";

    AsfLayout layout;
    files.files[L"copy.wmv"] = input;
    ReadAsfLayout(*files.Open(L"copy.wmv"), layout);
    files.Remove(L"copy.wmv");
    const uint64_t fp = layout.filePropertiesOffset, dobj = layout.dataOffset;
    auto inField = [](uint64_t i, uint64_t from, uint64_t to) { return i >= from && i < to; };
    for (uint64_t i = 0; i < layout.DataEnd(); ++i) {
        const bool total = inField(i, fp + 40, fp + 48) || inField(i, fp + 56, fp + 80) ||
                           inField(i, fp + 88, fp + 92) || inField(i, dobj + 16, dobj + 24) ||
                           inField(i, dobj + 40, dobj + 48);
        if (after[i] != input[i] && !total) return "changed bytes outside the header's totals";
    }

    const RepairResult again = RepairRecording(files, path);
    if (again.outcome != RepairOutcome::Complete || files.files[path] != after) return "a second repair changed it";
    return "";
}
