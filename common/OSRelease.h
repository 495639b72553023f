#pragma once
// Sorting a Windows version record into the releases the programs tell apart.
// Plain data in, plain values out: the Win32 side lives in COSVersion.

// One flag per release from Windows 95 to Server 2003; every other release is 0.
enum : int {
    OSV_WIN95 = 0x1,
    OSV_WIN95_OSR2 = 0x2,
    OSV_WIN98 = 0x4,
    OSV_WIN98_SE = 0x8,
    OSV_WINME = 0x10,
    OSV_WINNT4 = 0x20,
    OSV_WINNT3 = 0x40,
    OSV_WIN2000 = 0x80,
    OSV_WINXP_PRO = 0x100,
    OSV_WINXP_HOME = 0x200,
    OSV_WIN2003 = 0x400,
};

// The process-wide platform type; 0 until set.
enum : int { PLATFORM_NT = 1, PLATFORM_9X = 2 };

// Platform ids of the version record.
enum : unsigned long { PLATFORM_ID_WIN32S = 0, PLATFORM_ID_9X = 1, PLATFORM_ID_NT = 2 };

namespace osv {

enum class XpEdition { Unknown, Home, Professional };

struct SRelease {
    unsigned long platformId = 0;
    unsigned long major = 0;
    unsigned long minor = 0;
    char servicePackLead = 0; // first byte of the service-pack text
};

// True for NT 5.1, the one release whose flag needs the edition test.
bool IsXpRelease(const SRelease& release);

// The release's flag; for XP the edition decides, and an unknown edition gives 0.
int SortRelease(const SRelease& release, XpEdition edition);

bool IsWindows8OrLater(unsigned long major, unsigned long minor);

int PlatformTypeOf(unsigned long platformId);

} // namespace osv
