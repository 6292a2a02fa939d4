#include "graph/RecordingShape.h"

AudioChain AudioChainFor(bool vistaOrLater, int vistaAudio) {
    if (!vistaOrLater || vistaAudio == 0) return AudioChain::Device;
    if (vistaAudio == 1) return AudioChain::Sonark5;
    return AudioChain::None;
}

ProfileKind ProfileKindFor(int audioOnly, int videoOnly) {
    if (audioOnly != 0) return ProfileKind::AudioOnly;
    if (videoOnly != 0) return ProfileKind::VideoOnly;
    return ProfileKind::AudioVideo;
}

RecordingShape RecordingShapeFor(const SettingsRecord& s, bool vistaOrLater) {
    RecordingShape shape;
    const bool preview = s.SetTopWindow != 0;
    shape.screenCapture = s.AudioOnly == 0;
    if (shape.screenCapture) shape.video = preview ? VideoChain::ThroughTee : VideoChain::Direct;
    // Audio-only with the preview on still adds the tee and the renderer;
    // they stay unconnected.
    shape.teeAndRenderer = preview;
    if (s.VideoOnly == 0) shape.audio = AudioChainFor(vistaOrLater, s.VistaAudio);
    shape.profile = ProfileKindFor(s.AudioOnly, s.VideoOnly);
    return shape;
}

int ProfileFrameRate(float frameRate) {
    if (!(frameRate > -2147483648.0f && frameRate < 2147483648.0f)) return 0;
    return static_cast<int>(frameRate);
}
