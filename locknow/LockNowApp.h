#pragma once
// Tollhatch, the lock-now program: tells the running resident program to lock at once.
// Before any key device is registered an administrator is offered the first set-up
// instead, which the watchdog starts (it starts the resident program and its wizard).
#include <windows.h>

#include <string>

#include "common/SingleInstanceMutex.h"

class CLockNowApp {
public:
    // `isAdministrator`: the administrator check (a test build passes its own).
    explicit CLockNowApp(bool (*isAdministrator)());

    // One pass, then the program ends.
    void InitInstance();

private:
    // Keys are registered, or the settings are there but cannot be read.
    static bool IsSetUp();
    static std::string LoadText(UINT id);
    static void OfferFirstSetup(const std::string& caption);

    CSingleInstanceMutex m_instance;
    bool (*m_isAdministrator)();
};
