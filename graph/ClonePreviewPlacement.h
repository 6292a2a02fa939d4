#pragma once
// Where the clone preview's video window goes inside the recorder window,
// in client pixels. Portable, so the rule is tested without a window.

#include "app/services/Geometry.h"

// The large layout ("MiniClone" 0) keeps the video in the fixed area beside
// the caption: 195, 39, 301 x 137, each scaled by the interface scale and
// truncated. The small layout (any other "MiniClone") fills the width from
// the bottom of the button row down to the status line, one pixel wider
// than the client area. buttonRowBottom is where the small layout's buttons
// end (their top, 30 x scale truncated, plus a seventh of the client height:
// ComputeSmallLayout's row, so the video meets the buttons in every build);
// statusHeight is the status control's height.
ScreenRect ClonePreviewRect(int miniClone, int clientWidth, int clientHeight, double scale, int buttonRowBottom,
                            int statusHeight);

// What the preview asks of the recorder window's own layout (app/window
// answers it): the interface scale of the "Size" setting, and where the
// small layout's button row ends in a client area of width x height.
double RecorderInterfaceScale(int sizeSetting);
int RecorderButtonRowBottom(int clientWidth, int clientHeight, double scale);
