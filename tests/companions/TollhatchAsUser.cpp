// Tollhatch for the tests, run as a user who is no administrator (Wine's user always
// is one): the same program with the administrator check answered "no".
#include "locknow/LockNowApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    CLockNowApp app([] { return false; });
    app.InitInstance();
    return 0;
}
