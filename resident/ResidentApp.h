#pragma once
// The application object of Brontal: the single-instance lock, the settings record, the
// USB worker and the event publisher, the start-up sequence, the hidden main window for
// the whole life of the program, and the shut-down in a fixed order.
#include <windows.h>

#include "common/LockSetting.h"
#include "common/SingleInstanceMutex.h"
#include "framework/Handle.h"
#include "lockcore/EventPublisher.h"
#include "lockcore/ResidentLockCore.h"
#include "display/TopmostWindowList.h"

namespace usbkey {
class CFilterUsbCheckThread;
}
using usbkey::CFilterUsbCheckThread;

class CResidentApp {
public:
    // `isAdministrator`: the administrator check (a test build passes its own).
    explicit CResidentApp(bool (*isAdministrator)());
    CResidentApp(const CResidentApp&) = delete;
    CResidentApp& operator=(const CResidentApp&) = delete;
    ~CResidentApp();

    // Start-up and the main window; always FALSE (the program then ends).
    BOOL InitInstance();
    int ExitInstance();

    // The USB worker, started on first use; null when it could not start (the next
    // call tries again).
    CFilterUsbCheckThread* GetUsbCheckThread();
    void StopUsbCheckThread();
    // Whether the registered keys are attached (KeyType 2: all of them, else one); with
    // `found`, the attached devices that matched. Without a worker or without registered
    // keys no key counts as present, so the PC locks.
    bool IsKeyPresent(CKeyDeviceList* found = nullptr);
    // At the first start (no key registered): TRUE only when a key got registered.
    bool RunFirstRunWizard();

    CLockSetting& Settings() { return m_setting; }
    CEventPublisher& EventPublisher() { return m_eventPublisher; }
    CResidentLockCore& LockCore() { return m_lockCore; }
    // The windows of the lock display, kept on top while it is shown.
    CTopmostWindowList& TopmostWindows() { return m_topmostWindows; }

private:
    void LoadSettingsAtStart();
    void RunMainWindow();

    CSingleInstanceMutex m_instanceMutex;
    bool (*m_isAdministrator)();
    CFilterUsbCheckThread* m_usbCheckThread = nullptr;  // ended by StopUsbCheckThread
    CLockSetting m_setting;
    CEventPublisher m_eventPublisher;
    CResidentLockCore m_lockCore;
    CTopmostWindowList m_topmostWindows;
};
