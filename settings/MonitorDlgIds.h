#pragma once
// Resource ids of the monitor dialog (resources/monitor.rc includes this
// file), apart from resources/resource.h's ids.

#define IDD_MONITOR 437
#define IDC_MON_MONITOR1 1401
#define IDC_MON_MONITOR2 1402
#define IDC_MON_TEXT1 1403
#define IDC_MON_TEXT2 1404
#define IDC_MON_MAIN_DISPLAY 1405
#define IDC_MON_SCALE_LABEL 1406
#define IDC_MON_SCALE 1407
#define IDC_MON_SCALE_PERCENT 1408
#define IDC_MON_RESET_MARKERS 1409
