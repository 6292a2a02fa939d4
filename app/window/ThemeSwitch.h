#pragma once
// The Windows Basic theme switch through the helper "zcbasic.exe" (window
// "ZBasic").

// Starts the helper when Vista or later and no "ZBasic" window exists.
void StartBasicThemeHelper();
