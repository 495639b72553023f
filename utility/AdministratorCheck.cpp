#include "utility/AdministratorCheck.h"

#include "common/UserAccount.h"

bool IsUtilityUserAdministrator()
{
    return CUserAccount::IsAdministrator();
}
