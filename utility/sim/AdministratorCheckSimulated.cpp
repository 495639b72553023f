// Test builds: KV_SIMULATED_ADMINISTRATOR=0 in the environment makes the user no
// administrator; otherwise the real check answers.
#include "utility/AdministratorCheck.h"

#include <windows.h>

#include <cstring>

#include "common/UserAccount.h"

bool IsUtilityUserAdministrator()
{
    char answer[8] = {};
    const DWORD length = GetEnvironmentVariableA("KV_SIMULATED_ADMINISTRATOR", answer, sizeof answer);
    if (length > 0 && length < sizeof answer && std::strcmp(answer, "0") == 0)
        return false;
    return CUserAccount::IsAdministrator();
}
