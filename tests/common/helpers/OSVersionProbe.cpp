// Writes what COSVersion and CUserAccount detect in this process to the file named on
// the command line: "flag platformId major minor windows8 platformType administrator".
// Tests run it under per-program Windows versions of the Wine prefix.
#include <windows.h>

#include <cstdio>

#include "common/OSVersion.h"
#include "common/UserAccount.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 1;
    FILE* out = std::fopen(argv[1], "w");
    if (!out)
        return 2;
    const COSVersion version;
    InitPlatformType();
    std::fprintf(out, "%d %lu %lu %lu %d %d %d\n", version.Flag(), version.PlatformId(),
                 version.Major(), version.Minor(), version.IsWindows8OrLater() ? 1 : 0,
                 GetPlatformType(), CUserAccount::IsAdministrator() ? 1 : 0);
    std::fclose(out);
    return 0;
}
