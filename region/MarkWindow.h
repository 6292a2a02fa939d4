#pragma once
// The manual marking window.

// Closes the marking window if one is open.
void CloseMarkingWindow();
