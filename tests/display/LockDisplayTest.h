#pragma once

#define IDS_TEST_SHORT 9001
#define IDS_TEST_LONG 9002
