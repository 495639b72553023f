// Pernwick, the watchdog that restarts the resident program.
#include "watchdog/WatchdogApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    CWatchdogApp app;
    const int result = app.InitInstance() ? app.Run() : 0;
    app.ExitInstance();
    return result;
}
