#pragma once
// Recording session state, read by start-up and the window code.

// True while a recording runs.
extern bool Recording;
