#include "browser/ViewDlg.h"

// Not built yet: the browser does not open.
void OpenRecordingsBrowser() {}
