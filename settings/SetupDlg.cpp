#include "settings/SetupDlg.h"

// Not built yet: the dialog does not open.
void OpenSetupDialog() {}
