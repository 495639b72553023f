#pragma once
// Whether the current user belongs to the built-in Administrators group.
#include <windows.h>

class CUserAccount {
public:
    // TRUE on Windows 9x (no accounts there) and when the process token lists
    // Administrators in any state; FALSE when the token cannot be read.
    static bool IsAdministrator();

    // The token's groups hold Administrators, enabled, disabled or for deny only.
    static bool TokenHasAdministrators(HANDLE token);

    static bool GroupsContain(const TOKEN_GROUPS& groups, PSID sid);
};
