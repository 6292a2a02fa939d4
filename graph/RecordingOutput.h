#pragma once
// The file the recording goes to: the path output naming chose for this
// recording (app/session answers it), handed to the ASF writer.

const wchar_t* RecordingOutputPath();
