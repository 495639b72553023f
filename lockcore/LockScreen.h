#pragma once
// The lock-display operations that the lock engine drives and the display reports back
// through. The resident program carries them to its own main window (UM_LOCK_COMMAND)
// or, from Windows 8 on, over the pipes to the lock-screen program.
#include <cstdint>
#include <string>

class CLockSetting;

// The message that carries a lock-display operation to the display window:
// wParam one of the LOCKCMD_* codes, lParam the argument (a value or a pointer).
constexpr unsigned UM_LOCK_COMMAND = 0x800A;  // WM_APP + 10

enum LockCommand : int {
    LOCKCMD_SHOW_LOCK_SCREEN = 1,
    LOCKCMD_HIDE_LOCK_SCREEN = 2,
    LOCKCMD_RELOAD_PICTURES = 3,
    LOCKCMD_SELECT_PICTURE = 4,       // lParam: the picture (PICTURE_*)
    LOCKCMD_SHOW_MESSAGE = 5,
    LOCKCMD_HIDE_MESSAGE = 6,
    LOCKCMD_HIDE_CONTROLS = 7,
    LOCKCMD_SHOW_CONTROLS = 8,
    LOCKCMD_KEY_EVENT = 9,
    LOCKCMD_MOUSE_EVENT = 10,
    LOCKCMD_SET_SETTINGS = 11,        // lParam: a heap CLockSetting* the display frees
    LOCKCMD_REFUSE_END_SESSION = 12,
    LOCKCMD_SHOW_PASSWORD_DIALOG = 13,
    LOCKCMD_QUERY_MAY_UNLOCK = 14,    // result: non-zero when the password may unlock
    LOCKCMD_WATCH_KEY_STATE = 15,
    LOCKCMD_UNLOCK_REQUEST = 16,      // lParam: const Corvantis::SUnlockRequest*
    LOCKCMD_CHECK_PASSWORD = 17,      // lParam: const std::string* (the typed text)
    LOCKCMD_PASSWORD_RESULT = 18,     // lParam: const Corvantis::SPasswordResult*
    LOCKCMD_PASSWORD_DIALOG_STATE = 19,  // lParam: the state
    LOCKCMD_SHUTDOWN = 20,
};

enum LockPicture : int {
    PICTURE_LOCK = 1,
    PICTURE_ALARM1 = 2,
    PICTURE_ALARM2 = 3,
};

namespace Corvantis {

struct SUnlockRequest {
    int32_t kind;   // 1: unlock with the value; 2: the alarm side, raised when flag != 0
    int32_t value;
    int32_t flag;
};

struct SPasswordResult {
    int32_t ok;          // the typed password's digest matched
    int32_t mayUnlock;   // ok, and the password alone may unlock
    int32_t raiseAlarm;
};

// Every operation returns non-zero on success (or its result); the "event" operations
// are those that originate in the lock display.
class SLockScreen {
public:
    virtual ~SLockScreen() = default;

    virtual int ReloadPictures() = 0;
    virtual int SelectPicture(int picture) = 0;
    virtual int ShowLockScreen() = 0;
    virtual int HideLockScreen() = 0;
    virtual int IsLockScreenShown() = 0;
    virtual int ShowMessage() = 0;
    virtual int HideMessage() = 0;
    virtual int IsMessageShown() = 0;
    virtual int HideControls() = 0;
    virtual int ShowControls() = 0;
    virtual int AreControlsHidden() = 0;
    virtual int KeyEvent() = 0;                        // event
    virtual int MouseEvent() = 0;                      // event
    virtual int SetSettings(const CLockSetting& settings) = 0;
    virtual int RefuseEndSession() = 0;
    virtual int ShowPasswordDialog() = 0;
    virtual int QueryMayUnlock() = 0;                  // event
    virtual int WatchKeyState() = 0;                   // event
    virtual int RequestUnlock(const SUnlockRequest& request) = 0;  // event
    virtual int CheckPassword(const std::string& typed) = 0;       // event
    virtual int SetPasswordResult(const SPasswordResult& result) = 0;
    virtual int SetPasswordDialogState(int state) = 0;
    virtual int Shutdown() = 0;                        // event
};

} // namespace Corvantis
