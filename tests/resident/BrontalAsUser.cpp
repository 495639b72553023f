// The simulated Brontal for the tests, run as a user who is no administrator (Wine's user
// always is one): the same program with the administrator check answered "no".
#include "resident/ResidentApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    CResidentApp app([] { return false; });
    app.InitInstance();
    return app.ExitInstance();
}
