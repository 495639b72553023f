#pragma once
// The lock-screen program's lock core: the single-instance lock, the instance id (the
// resident program's process id), the link to the resident program, the display
// interface and the program's own settings record, which only the resident program fills.
#include <string>

#include "common/LockSetting.h"
#include "common/SingleInstanceMutex.h"
#include "lockcore/LockCore.h"
#include "lockscreen/ResidentLink.h"
#include "lockscreen/ScreenController.h"

class CScreenLockCore : public Corvantis::SLockCore {
public:
    static constexpr const char* kInstanceMutexName = "{9211CF61-91E7-4843-BB74-D09F86344321}";
    // The instance before this one may keep the lock for up to a second after its resident
    // program died (until its liveness check runs): wait for it a while.
    static constexpr DWORD kInstanceWait = 3000;

    CScreenLockCore() : m_instanceMutex(kInstanceMutexName) {}
    ~CScreenLockCore() override { Stop(); }

    // Stores the id and takes the single-instance lock; throws _Exceptions: 2 for an empty
    // id (nothing stored), 1 when the lock is held already or not obtained in time.
    BOOL Start(const std::string& id);
    void Stop() override;
    // The link to the resident program; the display's events use it from then on.
    BOOL Connect() override;
    Corvantis::SLockScreen* GetController(HWND window, UINT message) override;
    // TRUE while the resident program still holds its event server's presence mutex.
    BOOL IsAlive() override;
    CLockSetting* GetSettings() override { return &m_settings; }
    void SetSettings(const CLockSetting& settings) { m_settings = settings; }

    CScreenController& Controller() { return m_controller; }
    const std::string& InstanceId() const { return m_instanceId; }

private:
    CSingleInstanceMutex m_instanceMutex;
    std::string m_instanceId;
    CResidentLink m_link;
    CScreenController m_controller;
    CLockSetting m_settings;  // every number 0 and every text empty until the resident program sends its own
};
