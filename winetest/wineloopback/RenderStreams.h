#pragma once
// Started render streams of every process in the prefix, per sink.
//
// Windows delivers loopback packets only while the audio engine mixes for
// the endpoint, that is while at least one render stream on it is started.
// The table lives in a named file mapping that every process of the prefix
// opens through this stand-in. Each process keeps one slot per sink: how
// many of its streams are started, and since when (and, once none is, until
// when), so that a monitor packet can be judged by the time it was captured
// even when it is read later. Slots of processes that ended without
// stopping (killed tests, crashed programs) no longer count; a slot is
// tied to the process's creation time, so a reused process id is not
// mistaken for it.

#include <cstdint>
#include <string>

namespace render_streams {

// Sink names longer than this are refused.
constexpr size_t kMaxSinkChars = 63;

// The clock of WASAPI's qpcPosition: the performance counter in 100-ns units.
uint64_t Now();

// One render stream of this process on the sink was started, or stopped.
// False when the table is unavailable or full, or the name too long.
bool Started(const std::wstring& sink);
bool Stopped(const std::wstring& sink);

// Whether a render stream of a live process (or of one that stopped it
// before ending) was started on the sink at `time` (Now()'s clock).
bool RenderedAt(const std::wstring& sink, uint64_t time);

}  // namespace render_streams
