#pragma once
// The lock core: the one object per program through which the lock display is reached.
// Each program adds its own start and settings operations to these.
#include <windows.h>

#include "lockcore/LockScreen.h"

namespace Corvantis {

class SLockCore {
public:
    // Thrown by the lock-screen program's start.
    enum _Exceptions {
        EXCEPTION_ALREADY_RUNNING = 1,  // the single-instance lock was not obtained
        EXCEPTION_NO_INSTANCE_ID = 2,   // the instance id is empty
    };

    virtual ~SLockCore() = default;

    virtual void Stop() = 0;
    // Attaches the display; FALSE when it cannot be reached.
    virtual BOOL Connect() = 0;
    // The display interface; its in-process commands go to `window` as `message`.
    virtual SLockScreen* GetController(HWND window, UINT message) = 0;
    // FALSE when the display has gone for good.
    virtual BOOL IsAlive() = 0;
    virtual CLockSetting* GetSettings() = 0;
};

} // namespace Corvantis
