#pragma once
// BrontalUtility, the settings program: one instance at a time, administrators only; the
// settings sheet opens once a registered key is attached or the password was typed.
// Before any key is registered it offers the first set-up, which the watchdog starts.
#include <windows.h>

#include "common/SingleInstanceMutex.h"
#include "common/LockSetting.h"

namespace usbkey {
class CFilterUsbCheckThread;
}

class CUtilityApp {
public:
    // `isAdministrator`: the administrator check (a test build passes its own).
    explicit CUtilityApp(bool (*isAdministrator)());

    // One run: the unlock dialog and the sheet, or the set-up question.
    void InitInstance();

    // The settings as last loaded or saved.
    CLockSetting& Settings() { return m_setting; }
    usbkey::CFilterUsbCheckThread& UsbCheckThread() const { return *m_usbCheckThread; }
    // Whether the registered keys are attached (KeyType 2: all of them, else one).
    bool IsKeyPresent() const;

private:
    bool LoadSettings();
    void RunSettings();
    void OfferFirstSetup();

    CSingleInstanceMutex m_instance;
    bool (*m_isAdministrator)();
    usbkey::CFilterUsbCheckThread* m_usbCheckThread = nullptr;
    CLockSetting m_setting;
};
