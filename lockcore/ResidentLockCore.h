#pragma once
// The resident program's lock core: the display is the program's own main window before
// Windows 8 and the lock-screen program from Windows 8 on, chosen at each connect.
#include "lockcore/LockCore.h"
#include "lockcore/LockScreenLink.h"
#include "common/LockSetting.h"
#include "lockcore/LockScreenProxy.h"

class CResidentLockCore : public Corvantis::SLockCore {
public:
    CResidentLockCore() = default;
    ~CResidentLockCore() override = default;

    void Start() {}
    void Stop() override;
    // Launches and links the lock-screen program on Windows 8 and later (sending it the
    // settings), then replays the display state; FALSE when the program cannot be linked.
    BOOL Connect() override;
    Corvantis::SLockScreen* GetController(HWND window, UINT message) override;
    // The commands for the controller's window, delivered on each of its messages.
    CLockCommandChannel& Commands() { return m_proxy.Channel(); }
    // Reconnects in full (a new lock-screen program) when the linked one has gone.
    BOOL IsAlive() override;
    // Loads the settings file into the record; a linked lock-screen program gets them too.
    // False when the file is there but cannot be read: the record keeps the settings it
    // held, which stay in force (a missing file is no failure: there are no settings).
    bool ReloadSettings();
    CLockSetting* GetSettings() override { return m_settings; }

    // The application's record, not owned; set before the first ReloadSettings.
    void AttachSettings(CLockSetting* settings) { m_settings = settings; }
    bool IsExternal() const { return m_external != 0; }

private:
    void SendSettings();

    int m_external = 0;
    CLockScreenLink m_link;
    CLockScreenProxy m_proxy;
    CLockSetting* m_settings = nullptr;
};
