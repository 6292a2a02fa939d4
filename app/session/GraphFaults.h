#pragma once
// What the recording graph's events mean to a recording in progress: the
// ones that end it (the file can no longer be written, a device or a
// filter gave up), the capture filter's own news about its audio devices,
// which only change the status line, and the box that tells the user why a
// recording stopped by itself and where what was recorded is. Portable.

#include <cstdint>
#include <string>

#include "capfilter/SonarkEvents.h"

// Event codes as DirectShow defines them (evcode.h).
constexpr long kEventComplete = 0x01;
constexpr long kEventUserAbort = 0x02;
constexpr long kEventErrorAbort = 0x03;
constexpr long kEventStreamErrorStopped = 0x06;
constexpr long kEventDeviceLost = 0x1F;
constexpr long kEventErrorAbortEx = 0x45;
// The audio capture filter's news of its devices (capfilter/SonarkEvents.h).
constexpr long kEventAudioDevice = kSonarkAudioDeviceEvent;
constexpr std::int32_t kFlowSpeakers = kSonarkFlowSpeakers;
constexpr std::int32_t kFlowMicrophone = kSonarkFlowMicrophone;

struct GraphEvent {
    long code = 0;
    std::int32_t param1 = 0;
    std::int32_t param2 = 0;
};

enum class GraphFault {
    None,
    DiskFull,     // the writer's error says so, or the output's disk has no room left
    WriteFailed,  // the file could not be written
    DeviceLost,   // a capture device went away and its filter gave up
    Aborted,      // a filter ended the recording with an error
    UserAborted,  // the graph was aborted from outside
    Ended,        // every stream ended: nothing more reaches the file
    Stalled,      // the file stopped growing while the recording ran
};

// The fault an event means; None for the events a recording goes on through.
GraphFault FaultOfEvent(const GraphEvent& event);

// Whether an error code (an HRESULT) says that the disk is full.
bool IsDiskFullError(std::int32_t error);

// A write failure or a stall on a disk without room left is a full disk.
GraphFault WithDiskSpace(GraphFault fault, bool diskFull);

// The box after a recording stopped by itself: what happened, the folder
// and the file, and how much of the call is in it ("hh:mm:ss"). `error` is
// the event's code, shown where it is all the user can be told.
std::wstring FaultMessage(GraphFault fault, std::int32_t error, const std::wstring& path, const std::wstring& recorded);

// The box after a stop the graph refused: the file may not play to its end.
std::wstring StopFailureMessage(std::int32_t error, const std::wstring& path);

// The status line's note for the capture filter's news about its audio
// devices: `microphoneGone`, `speakersGone`, as the latest events left them.
std::wstring AudioDeviceNote(bool speakersGone, bool microphoneGone);
