#pragma once
// Resource ids of the recorder (resources/telvane.rc).

#define IDD_SPLASH 228
#define IDC_SPLASH_PICTURE 1001
#define IDD_WINDLG_SMALL 430
#define IDD_WINDLG_LARGE 431
#define IDI_TELVANE 473
#define IDC_LOG 12345
#define ID_DEV_CLEAR 32819
#define ID_DEV_AUDIODEV 32859
#define IDC_STATUS 118
#define IDC_RECORD 1215
#define ID_PAUSE 32974
#define ID_STOP 32977
#define ID_RECORD 33000
#define IDR_MENU_IDLE 33035
