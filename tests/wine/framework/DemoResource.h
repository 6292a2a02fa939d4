#pragma once
// Resource ids of the framework demo program.

#define IDD_DEMO 100
#define IDD_ABOUT 101

#define IDC_STATUS 1001
#define IDC_HELLO 1002
#define IDC_ASK 1003
#define IDC_ABOUT 1004
#define IDC_PARAMS 1005
#define IDC_TICKS 1006
#define IDC_ABOUT_TEXT 1007
