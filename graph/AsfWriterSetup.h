#pragma once
// The ASF writer of a recording: the profile file read back and turned into
// a profile object through the Windows Media Format runtime, proven on a
// stand-alone writer, and given to the WM ASF Writer filter, added to the
// recording graph as "Mux". Each step logs its failure with the HRESULT and
// shows nothing, except where the profile file itself cannot be read.

#include <windows.h>

#include <strmif.h>
#include <wmsdkidl.h>

#include "framework/base/ComPtr.h"

// The writer's copy of the output path, with the terminator.
constexpr size_t kWriterPathCapacity = 260;

// Adds the writer for outputPath to graph, into writer (the recording
// graph's reference). profileId is not used. Returns the HRESULT of the
// first failing step, or of the last step. The profile file is deleted once
// the writer has accepted the profile and left in place after a failure.
// A path longer than 259 characters is refused with a message, never cut.
HRESULT AddAsfWriter(const wchar_t* outputPath, int profileId, IGraphBuilder* graph, ComPtr<IBaseFilter>& writer);

// Reads the profile file and loads it into the process-wide profile; a
// failed load keeps the profile of an earlier build. Shows its failures.
HRESULT LoadProfileFile(const wchar_t* path);

// Proves on a stand-alone writer that the runtime takes the profile for
// this file name; the writer never begins writing.
HRESULT CheckProfileWithWriter(const wchar_t* path, IWMProfile* profile);

// Configures the writer filter with the loaded profile.
HRESULT ApplyProfileToWriter();

// The profile loaded last (empty before the first successful load).
ComPtr<IWMProfile> LoadedProfile();

// Releases the profile objects of the last build: the program before it
// leaves COM, tests between cases.
void ReleaseProfileObjects();
