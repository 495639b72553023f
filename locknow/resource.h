#pragma once
// Resource ids of Tollhatch.

#define IDS_CAPTION 102
#define IDS_ASK_FIRST_SETUP 105
