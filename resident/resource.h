#pragma once
// Resource ids of Brontal.

#define IDD_LOCK_MAIN 102
#define IDR_MAINFRAME 128
#define IDB_BAND 130
#define IDB_LOCK_PICTURE 131
#define IDB_LOGO 148
#define IDB_ALARM_PICTURE1 160
#define IDB_ALARM_PICTURE2 163
// The alarm sound (WAVE).
#define IDW_ALARM_SOUND 161

// Controls of the main window.
#define IDC_WINDOW_MARKER 1000
#define IDC_PICTURE 1001
#define IDC_BAND 1002
#define IDC_EXIT_BUTTON 1003
#define IDC_EXIT_LABEL 1004
#define IDC_MESSAGE 1005
#define IDC_CLOCK 1015
#define IDC_LOGO 1021

#define IDS_WIZARD_CAPTION 3001
