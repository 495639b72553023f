// BrontalUtility, the settings utility.
#include "utility/AdministratorCheck.h"
#include "utility/UtilityApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    CUtilityApp app(IsUtilityUserAdministrator);
    app.InitInstance();
    return 0;
}
