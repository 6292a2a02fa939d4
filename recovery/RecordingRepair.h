#pragma once
// The repair of a recording whose writer never finished it (the process
// died, was killed, or the power went): its data packets are on the disk
// but its header still holds what was written at the start. The repair
// counts the whole packets (a last packet cut short is dropped), reads their
// headers for the send and presentation times and the video key frames, and
// then rewrites in place the file properties' file size, packet count, play
// and send durations and flags, the data object's size and packet count,
// and one simple index per video stream after the packets.
//
// Nothing is written unless all of it was read consistently; the changes go
// to a side file first (the recording's path + ".repair"), so a repair cut
// short is finished at the next start. A repaired file repairs to itself.

#include <cstdint>
#include <string>

#include "recovery/AsfLayout.h"
#include "recovery/RepairFile.h"

namespace recovery {

enum class RepairOutcome {
    Complete,     // the header already holds the truth; nothing was written
    NeedsRepair,  // InspectRecording only: a repair would change the file
    Repaired,
    CannotRepair,  // `reason` says why; the file is as it was
};

struct RepairResult {
    RepairOutcome outcome = RepairOutcome::CannotRepair;
    std::wstring reason;
    uint64_t lengthBefore = 0;
    uint64_t lengthAfter = 0;
    uint32_t packetSize = 0;
    uint64_t packets = 0;                // whole data packets, all kept
    uint64_t unreadablePackets = 0;      // among them, headers that could not be read
    uint64_t tornBytes = 0;              // of a last packet cut short, dropped
    uint64_t duration = 0;               // 100-ns units: the play duration less the preroll
    unsigned indexes = 0;                // simple index objects written
    uint64_t indexBytes = 0;             // their size
    bool finishedEarlierRepair = false;  // a side file was found and written
    AsfHeaderFields before;
    AsfHeaderFields after;
};

// What a repair would do, writing nothing.
RepairResult InspectRecording(RepairFile& file);

// Repairs the recording in place when it needs it.
RepairResult RepairRecording(RepairFiles& files, const std::wstring& path);

std::wstring RepairSideFilePath(const std::wstring& path);

// "hh:mm:ss" of a duration in 100-ns units (hours may take more digits).
std::wstring ClockText(uint64_t duration);

// What the recorder tells the user about a repaired recording, or one that
// could not be repaired; empty when there was nothing to repair.
std::wstring RepairMessage(const std::wstring& name, const RepairResult& result);

}  // namespace recovery
