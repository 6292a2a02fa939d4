#include "winetest/wineloopback/RenderStreams.h"

#include <windows.h>

#include <cwchar>

#include "framework/win/Handles.h"

namespace {

constexpr int kSlots = 64;

// A closed interval older than this cannot matter to any monitor packet
// still waiting to be read (capture buffers hold a few seconds at most).
constexpr uint64_t kKeepClosed = 10 * 10000000ull;

// One process's streams on one sink. `since`..`until` is the latest
// interval in which at least one of them was started (`until` 0 while it
// lasts), `earlierSince`..`earlierUntil` the one before.
struct Slot {
    DWORD pid;
    LONG started;
    ULONGLONG created;  // the process's creation time (FILETIME)
    ULONGLONG since;
    ULONGLONG until;
    ULONGLONG earlierSince;
    ULONGLONG earlierUntil;
    wchar_t sink[render_streams::kMaxSinkChars + 1];
};

struct Table {
    Slot slots[kSlots];
};

// The mapping and its mutex stay open for the life of the process: the
// table lives as long as one process of the prefix holds it.
class SharedTable {
public:
    SharedTable() {
        m_mutex.Reset(::CreateMutexW(nullptr, FALSE, L"TelvaneWineTestRenderStreamsLock"));
        m_mapping.Reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Table),
                                             L"TelvaneWineTestRenderStreams"));
        if (m_mapping) m_table = static_cast<Table*>(::MapViewOfFile(m_mapping.Get(), FILE_MAP_WRITE, 0, 0, 0));
    }
    ~SharedTable() {
        if (m_table) ::UnmapViewOfFile(m_table);
    }
    SharedTable(const SharedTable&) = delete;
    SharedTable& operator=(const SharedTable&) = delete;

    // Runs f(table) under the prefix-wide lock; false when the table is not there.
    template <class F>
    bool Locked(F f) {
        if (!m_table || !m_mutex) return false;
        DWORD wait = ::WaitForSingleObject(m_mutex.Get(), 5000);
        if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return false;
        bool result = f(*m_table);
        ::ReleaseMutex(m_mutex.Get());
        return result;
    }

private:
    win::Handle m_mutex;
    win::Handle m_mapping;
    Table* m_table = nullptr;
};

SharedTable& Shared() {
    static SharedTable table;
    return table;
}

ULONGLONG CreationTime(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

ULONGLONG SelfCreated() {
    static const ULONGLONG created = CreationTime(::GetCurrentProcess());
    return created;
}

bool Alive(const Slot& slot) {
    if (slot.pid == ::GetCurrentProcessId()) return slot.created == SelfCreated();
    win::Handle process(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, slot.pid));
    return process && ::WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT &&
           CreationTime(process.Get()) == slot.created;
}

// Names were checked for length when they were written and are read bounded.
bool SameSink(const Slot& slot, const std::wstring& sink) {
    return std::wcsncmp(slot.sink, sink.c_str(), render_streams::kMaxSinkChars + 1) == 0;
}

bool Within(uint64_t time, ULONGLONG since, ULONGLONG until) {
    return since != 0 && time >= since && (until == 0 || time <= until);
}

bool Add(const std::wstring& sink, long delta) {
    if (sink.empty() || sink.size() > render_streams::kMaxSinkChars) return false;
    const DWORD self = ::GetCurrentProcessId();
    const ULONGLONG created = SelfCreated();
    const uint64_t now = render_streams::Now();
    return Shared().Locked([&](Table& table) {
        Slot* mine = nullptr;
        Slot* spare = nullptr;
        for (Slot& slot : table.slots) {
            if (slot.pid == self && slot.created == created && SameSink(slot, sink)) {
                mine = &slot;
                break;
            }
            const bool free = slot.pid == 0 || (slot.started <= 0 && slot.until + kKeepClosed < now) ||
                              (slot.started > 0 && !Alive(slot));
            if (!spare && free) spare = &slot;
        }
        if (!mine) {
            if (!spare || delta < 0) return false;
            mine = spare;
            *mine = Slot{};
            mine->pid = self;
            mine->created = created;
            std::wcsncpy(mine->sink, sink.c_str(), render_streams::kMaxSinkChars);
            mine->sink[render_streams::kMaxSinkChars] = L'\0';
        }
        const LONG before = mine->started;
        mine->started = before + delta < 0 ? 0 : before + delta;
        if (before == 0 && mine->started > 0) {
            mine->earlierSince = mine->since;
            mine->earlierUntil = mine->until;
            mine->since = now;
            mine->until = 0;
        } else if (before > 0 && mine->started == 0) {
            mine->until = now;
        }
        return true;
    });
}

}  // namespace

namespace render_streams {

uint64_t Now() {
    LARGE_INTEGER counter{}, frequency{};
    ::QueryPerformanceCounter(&counter);
    ::QueryPerformanceFrequency(&frequency);
    const uint64_t f = static_cast<uint64_t>(frequency.QuadPart);
    const uint64_t c = static_cast<uint64_t>(counter.QuadPart);
    if (f == 0) return 0;
    return c / f * 10000000ull + c % f * 10000000ull / f;
}

bool Started(const std::wstring& sink) { return Add(sink, +1); }

bool Stopped(const std::wstring& sink) { return Add(sink, -1); }

bool RenderedAt(const std::wstring& sink, uint64_t time) {
    bool rendered = false;
    Shared().Locked([&](Table& table) {
        for (const Slot& slot : table.slots) {
            if (slot.pid == 0 || !SameSink(slot, sink)) continue;
            // A process that ended with a stream started took the end of
            // its interval with it: none of it counts.
            if (slot.started > 0 && !Alive(slot)) continue;
            if (Within(time, slot.since, slot.until) || Within(time, slot.earlierSince, slot.earlierUntil)) {
                rendered = true;
                break;
            }
        }
        return true;
    });
    return rendered;
}

}  // namespace render_streams
