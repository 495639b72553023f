// Marrowpane, the lock-screen program that the resident program starts from Windows 8 on.
#include <cstdlib>

#include "lockscreen/LockScreenApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const std::vector<std::string> arguments(__argv + (__argc > 0 ? 1 : 0), __argv + __argc);
    CLockScreenApp app;
    app.InitInstance(arguments);
    return app.ExitInstance();
}
