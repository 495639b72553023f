// BrontalUtility, the settings utility.
#include "common/UserAccount.h"
#include "utility/UtilityApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    CUtilityApp app(CUserAccount::IsAdministrator);
    app.InitInstance();
    return 0;
}
