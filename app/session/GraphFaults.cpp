#include "app/session/GraphFaults.h"

#include <cwchar>

namespace {

constexpr std::int32_t kDiskFullErrors[] = {
    static_cast<std::int32_t>(0x80070070),  // HRESULT_FROM_WIN32(ERROR_DISK_FULL)
    static_cast<std::int32_t>(0x80070027),  // HRESULT_FROM_WIN32(ERROR_HANDLE_DISK_FULL)
    static_cast<std::int32_t>(0x80030070),  // STG_E_MEDIUMFULL
};

std::wstring ErrorText(std::int32_t error) {
    wchar_t text[32];
    std::swprintf(text, 32, L"0x%08X", static_cast<unsigned>(error));
    return text;
}

// The folder of a path, with its closing backslash ("R:\Calls\").
std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(0, slash + 1);
}

constexpr std::int32_t kWriteErrors[] = {
    static_cast<std::int32_t>(0x8007001D),  // HRESULT_FROM_WIN32(ERROR_WRITE_FAULT)
    static_cast<std::int32_t>(0x80070013),  // HRESULT_FROM_WIN32(ERROR_WRITE_PROTECT)
};

bool IsWriteError(std::int32_t error) {
    for (std::int32_t write : kWriteErrors)
        if (error == write) return true;
    return false;
}

// What the box says happened; the disk's folder or the error follows.
struct FaultText {
    GraphFault fault;
    const wchar_t* what;
    bool withError;
};

constexpr FaultText kFaultTexts[] = {
    {GraphFault::DiskFull, L"the disk is full", false},
    {GraphFault::WriteFailed, L"the file could not be written", true},
    {GraphFault::DeviceLost, L"a capture device was disconnected", false},
    {GraphFault::Aborted, L"the recording failed", true},
    {GraphFault::UserAborted, L"the recording was aborted", false},
    {GraphFault::Ended, L"the picture and the sound ended", false},
    {GraphFault::Stalled, L"nothing more was written to the file", false},
};

}  // namespace

GraphFault FaultOfEvent(const GraphEvent& event) {
    switch (event.code) {
        case kEventErrorAbort:
        case kEventErrorAbortEx:
        case kEventStreamErrorStopped:
            if (IsDiskFullError(event.param1)) return GraphFault::DiskFull;
            return IsWriteError(event.param1) ? GraphFault::WriteFailed : GraphFault::Aborted;
        case kEventUserAbort:
            return GraphFault::UserAborted;
        // param2 is 0 when the device went away, 1 when it is back.
        case kEventDeviceLost:
            return event.param2 == 0 ? GraphFault::DeviceLost : GraphFault::None;
        case kEventComplete:
            return GraphFault::Ended;
        default:
            return GraphFault::None;
    }
}

bool IsDiskFullError(std::int32_t error) {
    for (std::int32_t full : kDiskFullErrors)
        if (error == full) return true;
    return false;
}

GraphFault WithDiskSpace(GraphFault fault, bool diskFull) {
    const bool writing = fault == GraphFault::WriteFailed || fault == GraphFault::Aborted ||
                         fault == GraphFault::Stalled || fault == GraphFault::Ended;
    return writing && diskFull ? GraphFault::DiskFull : fault;
}

std::wstring FaultMessage(GraphFault fault, std::int32_t error, const std::wstring& path,
                          const std::wstring& recorded) {
    for (const FaultText& t : kFaultTexts) {
        if (t.fault != fault) continue;
        std::wstring what = t.what;
        if (fault == GraphFault::DiskFull)
            what += L" (" + FolderOf(path) + L")";
        else if (t.withError)
            what += L" (error " + ErrorText(error) + L")";
        return L"Recording stopped: " + what + L". The recording up to " + recorded + L" is saved in " + path + L".";
    }
    return {};
}

std::wstring StopFailureMessage(std::int32_t error, const std::wstring& path) {
    return L"The recording could not be stopped cleanly (error " + ErrorText(error) + L"). It is saved in " + path +
           L", but it may not play to its end.";
}

std::wstring AudioDeviceNote(bool speakersGone, bool microphoneGone) {
    if (speakersGone && microphoneGone) return L"Audio devices disconnected \u2014 waiting for a device";
    if (speakersGone) return L"Speakers disconnected \u2014 waiting for a device";
    if (microphoneGone) return L"Microphone disconnected \u2014 recording the call audio only";
    return {};
}
