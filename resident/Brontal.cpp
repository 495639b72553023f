// Brontal, the resident lock program.
#include "resident/ResidentApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    CResidentApp app;
    app.InitInstance();
    return app.ExitInstance();
}
