// Brontal, the resident lock program.
#include "common/UserAccount.h"
#include "resident/ResidentApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    CResidentApp app(CUserAccount::IsAdministrator);
    app.InitInstance();
    return app.ExitInstance();
}
