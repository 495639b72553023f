#pragma once
// The application object of Marrowpane: it parses "/id <id>", takes the single-instance
// lock and runs the lock-screen dialog until the resident program goes. Every failure
// ends the program quietly: it shows nothing and writes no log.
#include <windows.h>

#include <string>
#include <vector>

#include "lockscreen/ScreenLockCore.h"
#include "display/TopmostWindowList.h"

class CLockScreenApp {
public:
    CLockScreenApp() = default;
    CLockScreenApp(const CLockScreenApp&) = delete;
    CLockScreenApp& operator=(const CLockScreenApp&) = delete;

    // Runs the program; always FALSE (the program then ends).
    BOOL InitInstance(const std::vector<std::string>& arguments);
    int ExitInstance();

private:
    CScreenLockCore m_core;  // built first: its mutex marks this instance from the start
    CTopmostWindowList m_topmost;  // the lock display's windows held on top
};
