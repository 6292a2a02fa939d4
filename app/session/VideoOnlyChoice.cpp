#include "app/session/VideoOnlyChoice.h"

#include "graph/RecordingOutput.h"
#include "settings/Settings.h"

namespace {

bool g_videoOnlyChosen = false;

}  // namespace

void ClearVideoOnlyChoice() { g_videoOnlyChosen = false; }

void ChooseVideoOnlyForThisRecording() { g_videoOnlyChosen = true; }

bool RecordingVideoOnly() { return Settings.VideoOnly != 0 || g_videoOnlyChosen; }
