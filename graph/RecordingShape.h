#pragma once
// Which filters a recording's graph holds and how they are connected, for
// the settings of the moment: the video chain (none, straight into the
// writer, or through the tee whose second output feeds the hidden preview
// renderer), the audio chain (none, a capture device found by name and
// connected intelligently, or the Sonark5 filter connected directly) and
// the profile the writer gets. Portable: the graph code asks this and builds.

#include "settings/Settings.h"

enum class AudioChain { None, Device, Sonark5 };
enum class VideoChain { None, Direct, ThroughTee };
enum class ProfileKind { AudioOnly, VideoOnly, AudioVideo };

struct RecordingShape {
    bool screenCapture = false;  // the screen-capture source is added
    VideoChain video = VideoChain::None;
    bool teeAndRenderer = false;          // the preview branch's tee and renderer are added
    AudioChain audio = AudioChain::None;  // the audio source added and connected
    ProfileKind profile = ProfileKind::AudioVideo;
};

// The audio source by system and "VistaAudio": Sonark5 from Vista on with
// "VistaAudio" 1, a capture device before Vista or with "VistaAudio" 0, and
// none from Vista on with any other value.
AudioChain AudioChainFor(bool vistaOrLater, int vistaAudio);

// "Audio Only" is tested before "Video Only", so both together give an
// audio-only profile, no screen capture and no audio chain.
ProfileKind ProfileKindFor(int audioOnly, int videoOnly);

RecordingShape RecordingShapeFor(const SettingsRecord& settings, bool vistaOrLater);

// The profile's frame rate: "Frame Rate" truncated (29.97 gives 29); values
// outside the int range give 0, which the profile writer refuses.
int ProfileFrameRate(float frameRate);
