#pragma once
// The recordings browser (template 138), modeless.

// Brings the browser to the front when it is open, otherwise opens it.
void OpenRecordingsBrowser();
