#pragma once
// The manual marking window.

bool MarkingWindowExists();

// Opens the marking window on the capture region, or closes it when open.
void OpenOrToggleMarking();

// Shows the region a search found for the user to accept.
void OfferDetectedRegion();

// Closes the marking window if one is open.
void CloseMarkingWindow();
