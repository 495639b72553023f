#pragma once

#define IDS_SAVE_WORD 1
#define IDS_MIXED_TEXT 2
