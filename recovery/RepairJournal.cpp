#include "recovery/RepairJournal.h"

#include <cstring>

#include "recovery/LittleEndian.h"

namespace recovery {
namespace {

constexpr uint8_t kTag[8] = {'T', 'V', 'R', 'E', 'P', 'A', 'I', 'R'};
constexpr size_t kFixedSize = sizeof kTag + 8 + 8 + 4;
constexpr size_t kPatchHeadSize = 8 + 4;
constexpr size_t kChecksumSize = 8;

uint64_t Checksum(const uint8_t* data, size_t size) {
    uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 1099511628211ull;
    return h;
}

void Append64(std::vector<uint8_t>& out, uint64_t v) {
    out.resize(out.size() + 8);
    PutLe64(&out[out.size() - 8], v);
}

void Append32(std::vector<uint8_t>& out, uint32_t v) {
    out.resize(out.size() + 4);
    PutLe32(&out[out.size() - 4], v);
}

void AppendPatch(std::vector<uint8_t>& out, const FilePatch& p) {
    Append64(out, p.offset);
    Append32(out, static_cast<uint32_t>(p.bytes.size()));
    out.insert(out.end(), p.bytes.begin(), p.bytes.end());
}

}  // namespace

std::vector<uint8_t> EncodeRepairPlan(const RepairPlan& plan) {
    std::vector<uint8_t> out(kTag, kTag + sizeof kTag);
    Append64(out, plan.originalLength);
    Append64(out, plan.finalLength);
    Append32(out, static_cast<uint32_t>(plan.patches.size()));
    AppendPatch(out, plan.expected);
    for (const FilePatch& p : plan.patches) AppendPatch(out, p);
    Append64(out, Checksum(out.data(), out.size()));
    return out;
}

bool DecodeRepairPlan(const std::vector<uint8_t>& bytes, RepairPlan& plan) {
    plan = RepairPlan{};
    if (bytes.size() < kFixedSize + kChecksumSize || std::memcmp(bytes.data(), kTag, sizeof kTag) != 0) return false;
    const size_t body = bytes.size() - kChecksumSize;
    if (Checksum(bytes.data(), body) != Le64(&bytes[body])) return false;
    plan.originalLength = Le64(&bytes[8]);
    plan.finalLength = Le64(&bytes[16]);
    const uint32_t count = Le32(&bytes[24]);
    size_t pos = kFixedSize;
    for (uint64_t i = 0; i <= count; ++i) {
        if (body - pos < kPatchHeadSize) return false;
        FilePatch p;
        p.offset = Le64(&bytes[pos]);
        const uint32_t size = Le32(&bytes[pos + 8]);
        pos += kPatchHeadSize;
        if (body - pos < size || p.offset > plan.finalLength || size > plan.finalLength - p.offset) return false;
        p.bytes.assign(bytes.begin() + static_cast<std::ptrdiff_t>(pos),
                       bytes.begin() + static_cast<std::ptrdiff_t>(pos + size));
        pos += size;
        if (i == 0)
            plan.expected = std::move(p);
        else
            plan.patches.push_back(std::move(p));
    }
    return pos == body;
}

bool PlanFits(RepairFile& file, const RepairPlan& plan) {
    uint64_t length = 0;
    if (!file.Size(length)) return false;
    const uint64_t low = plan.originalLength < plan.finalLength ? plan.originalLength : plan.finalLength;
    const uint64_t high = plan.originalLength < plan.finalLength ? plan.finalLength : plan.originalLength;
    if (length < low || length > high) return false;
    const FilePatch& e = plan.expected;
    if (e.offset > length || e.bytes.size() > length - e.offset) return false;
    std::vector<uint8_t> there(e.bytes.size());
    return file.ReadAt(e.offset, there.data(), there.size()) && there == e.bytes;
}

bool ApplyRepairPlan(RepairFile& file, const RepairPlan& plan) {
    for (const FilePatch& p : plan.patches)
        if (!file.WriteAt(p.offset, p.bytes.data(), p.bytes.size())) return false;
    return file.Truncate(plan.finalLength) && file.Flush();
}

}  // namespace recovery
