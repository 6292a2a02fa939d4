#pragma once
// The event the capture filter sends into its graph when one of its audio
// flows loses its endpoint or has one again, so that the recorder can tell
// the user. Portable: the recorder's rules read it too.

// EC_USER + 0x51. param1: the flow; param2: 1 when the flow records again,
// 0 when it lost its device and waits for one.
constexpr long kSonarkAudioDeviceEvent = 0x8000 + 0x51;
constexpr long kSonarkFlowSpeakers = 0;
constexpr long kSonarkFlowMicrophone = 1;
