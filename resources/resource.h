#pragma once
// Resource ids of the recorder (resources/telvane.rc).

#define IDD_SPLASH 228
#define IDC_SPLASH_PICTURE 1001
#define IDD_WINDLG_SMALL 430
#define IDD_WINDLG_LARGE 431
#define IDR_MENU_MAIN 431
#define IDR_MENU_IDLE 33035
#define IDI_TELVANE 473
#define IDC_LOG 12345
#define ID_DEV_CLEAR 32819
#define ID_DEV_AUDIODEV 32859

// The recorder window's controls.
#define IDC_STATUS 118
#define IDC_PLAY 308
#define IDC_MARK 309
#define IDC_SETTINGS 311
#define IDC_RECORD 1215
#define IDC_HEADER 1232
#define IDC_CLOSE 1234
#define IDC_MINIMISE 1236

// The recorder window's commands.
#define ID_LOCAL_HELP 32898
#define ID_WEB_HELP 32899
#define ID_OPEN_BROWSER 32948
#define ID_MARK 32955
#define ID_PAUSE 32974
#define ID_STOP 32977
#define ID_VIEW_RECORDINGS 32983
#define ID_RECORD 33000
#define ID_GET_VIDEO 33016
#define ID_WEB_SITE 33019
#define ID_FRONT_WINDOW 33021
#define ID_SHOW_CLONED 33024
#define ID_MARKED_WINDOW 33030
#define ID_SHOW_MAIN 33037
#define ID_EXIT 33039
#define ID_RESTORE_DEFAULTS 33046
#define ID_OPEN_ZORV 33053
#define ID_FULL_SCREEN 33058
#define ID_RESET_MARKERS 33065
// Menu items without a handler of their own.
#define ID_ABOUT 33070
#define ID_SETTINGS_ITEM 33071
#define ID_MORE_RESTORE_DEFAULTS 33072
