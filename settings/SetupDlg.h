#pragma once
// The setup dialog "Telvane settings" (template 426), modeless.

// Brings the dialog to the front when it is open, otherwise opens it.
void OpenSetupDialog();
