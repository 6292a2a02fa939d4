#pragma once
// Resource ids of the recordings browser and its "Change Name" dialog
// (resources/browser.rc includes this file).

#define IDD_VIEW 138
#define IDR_VIEW_MENU 139
#define IDC_VIEW_LIST 1130
#define IDC_VIEW_STATUS 1131
#define IDC_VIEW_CLOSE IDCANCEL

// The "Options" commands, in menu order.
#define ID_VIEW_PLAY 34001
#define ID_VIEW_OPEN_FOLDER 34002
#define ID_VIEW_CONVERT 34003
#define ID_VIEW_RENAME 34004
#define ID_VIEW_DELETE 34005

#define IDD_CHANGE_NAME 140
#define IDC_CHANGE_NAME_EDIT 1140
#define IDC_CHANGE_NAME_HINT 1141
