#pragma once
// Resource ids of the video settings dialog (resources/video.rc includes
// this file).

#define IDD_VIDEO_SETTINGS 462
#define IDC_VIDEO_BITRATE 1054
#define IDC_VIDEO_FRAME_RATE 1055
#define IDC_VIDEO_BACKGROUND 1169
#define IDC_VIDEO_BASIC 1167
#define IDC_VIDEO_BITRATE_LABEL 1170
#define IDC_VIDEO_FRAME_RATE_LABEL 1171
