#pragma once
// Resource ids of the lock-display toolkit (Display.rc), carried by every program that
// links it.

#define IDD_LOCK_MESSAGE_BOX 136
#define IDD_PASSWORD 137
#define IDD_COVER_PICTURE 139
#define IDC_BLANK_CURSOR 142

#define IDC_BOX_TEXT 1005
#define IDC_BOX_ICON 1011
#define IDC_PASSWORD_TEXT 1012
#define IDC_COVER_PICTURE 1015

#define IDS_WRONG_PASSWORD 3201
#define IDS_END_SESSION_REFUSED 3202
#define IDS_CONFIRM_SHUTDOWN 3300

// The program's own lock and alarm pictures, shown when the settings name none or the
// named file does not load; each program carries them.
#define IDB_LOCK_PICTURE 131
#define IDB_ALARM_PICTURE1 160
#define IDB_ALARM_PICTURE2 163
