#include "recovery/RecordingRepair.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "recovery/LittleEndian.h"
#include "recovery/PacketScan.h"
#include "recovery/RepairJournal.h"
#include "recovery/SimpleIndex.h"

namespace recovery {
namespace {

// Objects after the packets that a rebuilt index moves forward are read into
// memory; real ones (other kinds of index) are small.
constexpr uint64_t kMaxMovedBytes = 16u << 20;
// Indexes beyond this come only from presentation times no writer wrote.
constexpr uint64_t kMaxIndexBytes = 16u << 20;
// A side file is the changed header fields, the indexes and what they move.
constexpr uint64_t kMaxSideFileBytes = kMaxMovedBytes + kMaxIndexBytes + (1u << 20);

const wchar_t* LayoutReason(LayoutError e) {
    switch (e) {
        case LayoutError::ReadFailed:
            return L"the file cannot be read";
        case LayoutError::NotAsf:
            return L"it is not a Windows Media file";
        case LayoutError::HeaderCut:
            return L"the file ends inside its header";
        case LayoutError::HeaderDamaged:
            return L"its header is damaged";
        case LayoutError::PacketSizeVaries:
            return L"its data packets vary in size";
        case LayoutError::NoDataObject:
            return L"no data follows its header";
        case LayoutError::None:
            break;
    }
    return L"";
}

RepairResult& Refuse(RepairResult& r, const wchar_t* reason) {
    r.outcome = RepairOutcome::CannotRepair;
    r.reason = reason;
    r.after = r.before;
    r.lengthAfter = r.lengthBefore;
    return r;
}

uint64_t PresentationDuration(const AsfHeaderFields& f) {
    const uint64_t preroll = f.prerollMs * 10000;
    return f.playDuration > preroll ? f.playDuration - preroll : 0;
}

FilePatch Field64(uint64_t offset, uint64_t value) {
    FilePatch p{offset, std::vector<uint8_t>(8)};
    PutLe64(p.bytes.data(), value);
    return p;
}

FilePatch Field32(uint64_t offset, uint32_t value) {
    FilePatch p{offset, std::vector<uint8_t>(4)};
    PutLe32(p.bytes.data(), value);
    return p;
}

// Whether writing the plan would change a single byte.
bool ChangesFile(RepairFile& file, const RepairPlan& plan, bool& readFailed) {
    if (plan.finalLength != plan.originalLength) return true;
    for (const FilePatch& p : plan.patches) {
        if (p.offset > plan.originalLength || p.bytes.size() > plan.originalLength - p.offset) return true;
        std::vector<uint8_t> there(p.bytes.size());
        if (!file.ReadAt(p.offset, there.data(), there.size())) {
            readFailed = true;
            return true;
        }
        if (there != p.bytes) return true;
    }
    return false;
}

// The simple indexes, one per video stream in stream-number order, or none
// when one of them cannot be made: readers match them to the streams by
// their order.
std::vector<uint8_t> BuildIndexes(const AsfLayout& layout, const PacketScan& scan, unsigned& count) {
    count = 0;
    uint64_t bytes = 0;
    std::vector<uint64_t> ends;
    for (const VideoTrack& t : scan.video) {
        if (t.keys.empty()) return {};
        ends.push_back(StreamEndMs(layout, scan, t.stream));
        bytes += kSimpleIndexHeadSize + SimpleIndexEntries(ends.back()) * kIndexEntrySize;
        if (bytes > kMaxIndexBytes) return {};
    }
    std::vector<uint8_t> out;
    for (size_t i = 0; i < scan.video.size(); ++i) {
        std::vector<uint8_t> one = BuildSimpleIndex(layout.fileId, scan.video[i].keys, ends[i]);
        if (one.empty()) return {};
        out.insert(out.end(), one.begin(), one.end());
    }
    count = static_cast<unsigned>(scan.video.size());
    return out;
}

RepairResult PlanRepair(RepairFile& file, RepairPlan& plan) {
    RepairResult r;
    AsfLayout layout;
    const LayoutError e = ReadAsfLayout(file, layout);
    r.lengthBefore = r.lengthAfter = layout.fileLength;
    r.before = layout.fields;
    if (e != LayoutError::None) return Refuse(r, LayoutReason(e));
    r.packetSize = layout.packetSize;
    r.packets = layout.packetCount;
    r.tornBytes = layout.tornBytes;
    if (layout.packetCount == 0) return Refuse(r, L"it holds no data packets");

    PacketScan scan;
    if (!ScanPackets(file, layout, scan)) return Refuse(r, L"the file cannot be read");
    r.unreadablePackets = scan.unreadable;
    if (scan.readable == 0) return Refuse(r, L"none of its data packets can be read");

    const AsfHeaderFields& f = layout.fields;
    const uint64_t n = layout.packetCount;
    const uint64_t dataSize = kDataObjectHeadSize + n * layout.packetSize;
    size_t simpleIndexes = 0, firstSimple = layout.trailing.size();
    bool indexObject = false;
    for (size_t i = 0; i < layout.trailing.size(); ++i) {
        if (layout.trailing[i].id == kSimpleIndexId) {
            firstSimple = std::min(firstSimple, i);
            ++simpleIndexes;
        }
        indexObject = indexObject || layout.trailing[i].id == kIndexObjectId;
    }
    // A finished writer's totals are kept as it wrote them: it knew the
    // length of the last media object, which the packets only estimate.
    const bool totalsHold = !(f.flags & kBroadcastFlag) && layout.dataSizeHolds && f.fileSize == layout.fileLength &&
                            f.dataPackets == n && f.dataObjectPackets == n && f.dataObjectSize == dataSize &&
                            f.playDuration != 0 && f.sendDuration != 0;
    const bool indexHolds = scan.video.empty() || simpleIndexes >= scan.video.size() || indexObject;
    if (totalsHold && indexHolds) {
        r.outcome = RepairOutcome::Complete;
        r.after = f;
        r.duration = PresentationDuration(f);
        return r;
    }

    // The old simple indexes give way to the new ones; other objects after
    // the packets stay, those behind an old simple index move up to it.
    std::vector<uint8_t> tail;
    uint64_t tailAt = layout.DataEnd();
    if (!layout.trailing.empty()) tailAt = layout.fileLength;
    if (firstSimple < layout.trailing.size()) {
        tailAt = layout.trailing[firstSimple].offset;
        uint64_t moved = 0;
        for (size_t i = firstSimple; i < layout.trailing.size(); ++i) {
            const AsfTopObject& o = layout.trailing[i];
            if (o.id == kSimpleIndexId) continue;
            moved += o.size;
            if (moved > kMaxMovedBytes) return Refuse(r, L"too much follows its data packets");
            const size_t at = tail.size();
            tail.resize(at + static_cast<size_t>(o.size));
            if (!file.ReadAt(o.offset, &tail[at], static_cast<size_t>(o.size)))
                return Refuse(r, L"the file cannot be read");
        }
    }
    const std::vector<uint8_t> indexes = BuildIndexes(layout, scan, r.indexes);
    r.indexBytes = indexes.size();
    tail.insert(tail.end(), indexes.begin(), indexes.end());

    AsfHeaderFields& a = r.after;
    a = f;
    a.fileSize = tailAt + tail.size();
    a.dataPackets = n;
    a.dataObjectPackets = n;
    a.dataObjectSize = dataSize;
    if (!totalsHold) {
        a.sendDuration = scan.sendEndMs * 10000;
        a.playDuration = std::max(scan.sendEndMs + f.prerollMs, PresentationEndMs(layout, scan)) * 10000;
    }
    a.flags &= ~kBroadcastFlag;
    // Seekable: a file without video by its fixed-size packets, one with
    // video by an index.
    if (scan.video.empty() || r.indexes > 0 || indexObject)
        a.flags |= kSeekableFlag;
    else
        a.flags &= ~kSeekableFlag;
    r.duration = PresentationDuration(a);
    r.lengthAfter = a.fileSize;

    // The packets' end first and the header last: until the header is
    // rewritten, the file reads as the unfinished one it was.
    const uint64_t fp = layout.filePropertiesOffset;
    plan.originalLength = layout.fileLength;
    plan.finalLength = a.fileSize;
    plan.expected = FilePatch{fp + 24, std::vector<uint8_t>(layout.fileId.begin(), layout.fileId.end())};
    plan.patches.clear();
    if (!tail.empty()) plan.patches.push_back(FilePatch{tailAt, std::move(tail)});
    plan.patches.push_back(Field64(layout.dataOffset + kDataObjectSizeField, a.dataObjectSize));
    plan.patches.push_back(Field64(layout.dataOffset + kDataObjectPacketsField, a.dataObjectPackets));
    plan.patches.push_back(Field64(fp + kFileSizeField, a.fileSize));
    plan.patches.push_back(Field64(fp + kDataPacketsField, a.dataPackets));
    plan.patches.push_back(Field64(fp + kPlayDurationField, a.playDuration));
    plan.patches.push_back(Field64(fp + kSendDurationField, a.sendDuration));
    plan.patches.push_back(Field32(fp + kFlagsField, a.flags));

    bool readFailed = false;
    const bool changes = ChangesFile(file, plan, readFailed);
    if (readFailed) return Refuse(r, L"the file cannot be read");
    r.outcome = changes ? RepairOutcome::NeedsRepair : RepairOutcome::Complete;
    if (!changes) {  // the indexes there are the same
        r.indexes = 0;
        r.indexBytes = 0;
    }
    return r;
}

bool ReadSideFile(RepairFiles& files, const std::wstring& path, RepairPlan& plan) {
    std::unique_ptr<RepairFile> side = files.Open(path);
    uint64_t size = 0;
    if (!side || !side->Size(size) || size > kMaxSideFileBytes) return false;
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    return side->ReadAt(0, bytes.data(), bytes.size()) && DecodeRepairPlan(bytes, plan);
}

bool WriteSideFile(RepairFiles& files, const std::wstring& path, const RepairPlan& plan) {
    const std::vector<uint8_t> bytes = EncodeRepairPlan(plan);
    std::unique_ptr<RepairFile> side = files.Create(path);
    return side && side->WriteAt(0, bytes.data(), bytes.size()) && side->Flush();
}

std::wstring TwoDigits(uint64_t v) { return (v < 10 ? L"0" : L"") + std::to_wstring(v); }

}  // namespace

RepairResult InspectRecording(RepairFile& file) {
    RepairPlan plan;
    return PlanRepair(file, plan);
}

std::wstring RepairSideFilePath(const std::wstring& path) { return path + L".repair"; }

RepairResult RepairRecording(RepairFiles& files, const std::wstring& path) {
    RepairResult failed;
    std::unique_ptr<RepairFile> file = files.Open(path);
    if (!file) return Refuse(failed, L"the file cannot be opened");

    // A side file left by a repair that did not end: written again, it
    // finishes that repair. One that was cut short, or belongs to another
    // file, is thrown away; the recording was not touched for it.
    const std::wstring sidePath = RepairSideFilePath(path);
    bool finished = false;
    if (files.Exists(sidePath)) {
        RepairPlan earlier;
        if (ReadSideFile(files, sidePath, earlier) && PlanFits(*file, earlier)) {
            if (!ApplyRepairPlan(*file, earlier)) return Refuse(failed, L"the file cannot be written");
            finished = true;
        }
        if (!files.Remove(sidePath)) return Refuse(failed, L"the repair's side file cannot be removed");
    }

    RepairPlan plan;
    RepairResult r = PlanRepair(*file, plan);
    r.finishedEarlierRepair = finished;
    if (r.outcome == RepairOutcome::Complete && finished) r.outcome = RepairOutcome::Repaired;
    if (r.outcome != RepairOutcome::NeedsRepair) return r;

    if (!WriteSideFile(files, sidePath, plan)) {
        files.Remove(sidePath);
        r.outcome = RepairOutcome::CannotRepair;
        r.reason = L"the repair's side file cannot be written";
        return r;
    }
    if (!ApplyRepairPlan(*file, plan)) {
        // The side file stays: the next repair finishes from it.
        r.outcome = RepairOutcome::CannotRepair;
        r.reason = L"the file cannot be written";
        return r;
    }
    files.Remove(sidePath);
    r.outcome = RepairOutcome::Repaired;
    return r;
}

std::wstring ClockText(uint64_t duration) {
    const uint64_t seconds = duration / 10000000;
    return TwoDigits(seconds / 3600) + L":" + TwoDigits(seconds / 60 % 60) + L":" + TwoDigits(seconds % 60);
}

std::wstring RepairMessage(const std::wstring& name, const RepairResult& result) {
    switch (result.outcome) {
        case RepairOutcome::Repaired:
            return L"The recording '" + name + L"' was interrupted at " + ClockText(result.duration) +
                   L". It has been repaired and is in the recordings list.";
        case RepairOutcome::CannotRepair:
            return L"The recording '" + name + L"' was interrupted and cannot be repaired: " + result.reason + L".";
        case RepairOutcome::Complete:
        case RepairOutcome::NeedsRepair:
            break;
    }
    return L"";
}

}  // namespace recovery
