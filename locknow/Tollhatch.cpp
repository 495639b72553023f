// Tollhatch, the lock-now program.
#include "common/UserAccount.h"
#include "locknow/LockNowApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    CLockNowApp app(CUserAccount::IsAdministrator);
    app.InitInstance();
    return 0;
}
