#pragma once
// Resource ids of Marrowpane; the display toolkit's own (its boxes, the password and
// cover dialogs, their texts and the picture ids 131, 160 and 163) come with it.
#include "display/DisplayResource.h"

#define IDD_LOCK_SCREEN 103
#define IDR_MAINFRAME 128
#define IDB_BAND 130
#define IDB_LOGO 148

// Controls of the lock screen.
#define IDC_PICTURE 1001
#define IDC_BAND 1002
#define IDC_EXIT_BUTTON 1003
#define IDC_EXIT_LABEL 1004
#define IDC_MESSAGE 1005
#define IDC_CLOCK 1015
#define IDC_LOGO 1021
