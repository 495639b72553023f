#include "common/OSRelease.h"

namespace osv {
namespace {

int SortNtRelease(const SRelease& release, XpEdition edition)
{
    switch (release.major) {
    case 3: return OSV_WINNT3;
    case 4: return OSV_WINNT4;
    case 5:
        switch (release.minor) {
        case 0: return OSV_WIN2000;
        case 1:
            if (edition == XpEdition::Home)
                return OSV_WINXP_HOME;
            return edition == XpEdition::Professional ? OSV_WINXP_PRO : 0;
        case 2: return OSV_WIN2003;
        default: return 0;
        }
    default: return 0;
    }
}

// Only the first byte of the service-pack text names the 9x update ("B"/"C" OSR2, "A" SE).
int Sort9xRelease(const SRelease& release)
{
    const char lead = release.servicePackLead;
    switch (release.minor) {
    case 0: return lead == 'B' || lead == 'C' ? OSV_WIN95_OSR2 : OSV_WIN95;
    case 10: return lead == 'A' ? OSV_WIN98_SE : OSV_WIN98;
    case 90: return OSV_WINME;
    default: return 0;
    }
}

} // namespace

bool IsXpRelease(const SRelease& release)
{
    return release.platformId == PLATFORM_ID_NT && release.major == 5 && release.minor == 1;
}

int SortRelease(const SRelease& release, XpEdition edition)
{
    switch (release.platformId) {
    case PLATFORM_ID_NT: return SortNtRelease(release, edition);
    case PLATFORM_ID_9X: return Sort9xRelease(release);
    default: return 0;
    }
}

bool IsWindows8OrLater(unsigned long major, unsigned long minor)
{
    return major > 6 || (major == 6 && minor > 1);
}

int PlatformTypeOf(unsigned long platformId)
{
    return platformId == PLATFORM_ID_NT ? PLATFORM_NT : PLATFORM_9X;
}

} // namespace osv
