#include <gtest/gtest.h>

#include "common/OSRelease.h"

namespace {

using osv::XpEdition;

struct SortCase {
    const char* release;
    unsigned long platformId, major, minor;
    char servicePackLead;
    XpEdition edition;
    int flag;
};

const SortCase kSortCases[] = {
    {"Win32s", PLATFORM_ID_WIN32S, 3, 10, 0, XpEdition::Unknown, 0},
    {"Windows 95", PLATFORM_ID_9X, 4, 0, 0, XpEdition::Unknown, OSV_WIN95},
    {"Windows 95 text A", PLATFORM_ID_9X, 4, 0, 'A', XpEdition::Unknown, OSV_WIN95},
    {"Windows 95 OSR2 B", PLATFORM_ID_9X, 4, 0, 'B', XpEdition::Unknown, OSV_WIN95_OSR2},
    {"Windows 95 OSR2 C", PLATFORM_ID_9X, 4, 0, 'C', XpEdition::Unknown, OSV_WIN95_OSR2},
    {"Windows 95 lower-case b", PLATFORM_ID_9X, 4, 0, 'b', XpEdition::Unknown, OSV_WIN95},
    {"Windows 95 text \" B\"", PLATFORM_ID_9X, 4, 0, ' ', XpEdition::Unknown, OSV_WIN95},
    {"Windows 98", PLATFORM_ID_9X, 4, 10, 0, XpEdition::Unknown, OSV_WIN98},
    {"Windows 98 SE", PLATFORM_ID_9X, 4, 10, 'A', XpEdition::Unknown, OSV_WIN98_SE},
    {"Windows 98 text \" A \"", PLATFORM_ID_9X, 4, 10, ' ', XpEdition::Unknown, OSV_WIN98},
    {"Windows 98 text B", PLATFORM_ID_9X, 4, 10, 'B', XpEdition::Unknown, OSV_WIN98},
    {"Windows Me", PLATFORM_ID_9X, 4, 90, ' ', XpEdition::Unknown, OSV_WINME},
    {"9x minor 20", PLATFORM_ID_9X, 4, 20, 0, XpEdition::Unknown, 0},
    {"NT 3.51", PLATFORM_ID_NT, 3, 51, 0, XpEdition::Unknown, OSV_WINNT3},
    {"NT 4", PLATFORM_ID_NT, 4, 0, 'S', XpEdition::Unknown, OSV_WINNT4},
    {"Windows 2000", PLATFORM_ID_NT, 5, 0, 'S', XpEdition::Unknown, OSV_WIN2000},
    {"XP Professional", PLATFORM_ID_NT, 5, 1, 'S', XpEdition::Professional, OSV_WINXP_PRO},
    {"XP Home", PLATFORM_ID_NT, 5, 1, 'S', XpEdition::Home, OSV_WINXP_HOME},
    {"XP without the edition test", PLATFORM_ID_NT, 5, 1, 0, XpEdition::Unknown, 0},
    {"Server 2003", PLATFORM_ID_NT, 5, 2, 0, XpEdition::Unknown, OSV_WIN2003},
    {"NT 5.3", PLATFORM_ID_NT, 5, 3, 0, XpEdition::Unknown, 0},
    {"Vista", PLATFORM_ID_NT, 6, 0, 0, XpEdition::Unknown, 0},
    {"Windows 7", PLATFORM_ID_NT, 6, 1, 0, XpEdition::Unknown, 0},
    {"Windows 8", PLATFORM_ID_NT, 6, 2, 0, XpEdition::Unknown, 0},
    {"Windows 10", PLATFORM_ID_NT, 10, 0, 0, XpEdition::Unknown, 0},
    {"unknown platform", 3, 5, 1, 0, XpEdition::Home, 0},
};

TEST(OSRelease, SortsEveryKnownRelease)
{
    for (const SortCase& c : kSortCases) {
        const osv::SRelease release{c.platformId, c.major, c.minor, c.servicePackLead};
        EXPECT_EQ(c.flag, osv::SortRelease(release, c.edition)) << c.release;
    }
}

TEST(OSRelease, OnlyNt51NeedsTheEditionTest)
{
    EXPECT_TRUE(osv::IsXpRelease({PLATFORM_ID_NT, 5, 1, 0}));
    EXPECT_FALSE(osv::IsXpRelease({PLATFORM_ID_NT, 5, 2, 0}));
    EXPECT_FALSE(osv::IsXpRelease({PLATFORM_ID_9X, 5, 1, 0}));
}

TEST(OSRelease, Windows8OrLaterFrom62)
{
    EXPECT_FALSE(osv::IsWindows8OrLater(5, 2));
    EXPECT_FALSE(osv::IsWindows8OrLater(6, 0));
    EXPECT_FALSE(osv::IsWindows8OrLater(6, 1));
    EXPECT_TRUE(osv::IsWindows8OrLater(6, 2));
    EXPECT_TRUE(osv::IsWindows8OrLater(6, 3));
    EXPECT_TRUE(osv::IsWindows8OrLater(10, 0));
    EXPECT_TRUE(osv::IsWindows8OrLater(7, 0));
}

TEST(OSRelease, PlatformTypeIsNtOnlyForTheNtId)
{
    EXPECT_EQ(PLATFORM_NT, osv::PlatformTypeOf(PLATFORM_ID_NT));
    EXPECT_EQ(PLATFORM_9X, osv::PlatformTypeOf(PLATFORM_ID_9X));
    EXPECT_EQ(PLATFORM_9X, osv::PlatformTypeOf(PLATFORM_ID_WIN32S));
}

} // namespace
