#pragma once
// The lock engine's decisions over plain data: when to lock and unlock, the key
// snapshot, the idle-time rule, the watchdog-check flag and the watching state. The
// main window feeds it what Windows reports and carries out what it answers.
#include <cstdint>
#include <optional>
#include <string>

#include "common/LockSetting.h"
#include "usbkey/UsbDeviceList.h"

// GetTickCount values: milliseconds that wrap after 2^32 (49.7 days).
using Tick = std::uint32_t;

// Whether the registered keys are attached, by KeyType: 2 needs every registered key,
// any other value one of them. With `found`, the attached devices that matched. No
// snapshot (the USB worker could not start) and an empty key list both count as absent,
// so the PC locks rather than staying open.
bool MatchRegisteredKeys(const CLockSetting& setting, const CUsbDeviceList* attached, CKeyDeviceList* found);

// The registered keys that were attached when the lock was taken. Those same keys must
// not undo the lock: the user has to pull one and insert it again.
class CKeySnapshot {
public:
    bool IsHeld() const { return m_held; }
    const CKeyDeviceList& Keys() const { return m_keys; }

    // Held when keys were present at the lock; `found` are the devices that matched.
    void Take(bool present, const CKeyDeviceList& found);
    void Clear();
    // A fresh check while held: all keys gone or a key more clears the snapshot, a key
    // fewer shrinks it, the same number of different keys clears it.
    void Check(bool present, const CKeyDeviceList& fresh);

private:
    bool m_held = false;
    CKeyDeviceList m_keys;
};

// Whether the session is locked, by the name of its input desktop (none when it cannot
// be opened): Winlogon's desktop is the input one only while the session is locked, and
// its access list shuts the user's programs out.
bool IsSessionLockDesktop(const std::optional<std::string>& inputDesktop);
// Whether another program switched the input away from the lock display's desktop, by the
// names of the input desktop (none when it cannot be opened) and of the display's (none when
// it cannot be read): the input goes back only from an ordinary desktop of the window
// station. Winlogon's desktop (the session locked, or Windows' own secure screens) and the
// screen saver's belong to Windows; one that cannot be opened is left too, as what it is
// cannot be told.
bool IsInputSwitchedAway(const std::optional<std::string>& inputDesktop,
                         const std::optional<std::string>& displayDesktop);
// Whether the session is disconnected, by its connect state (a WTS_CONNECTSTATE_CLASS
// value; none when it cannot be asked). A system that cannot be asked has no sessions to
// disconnect, and a query that keeps failing must not hold the key watch off for good, so
// no answer counts as connected.
bool IsSessionDisconnectedState(std::optional<unsigned> connectState);

enum class EKeyAction { None, Lock, Unlock, ShowPasswordDialog };
enum class EStartupAction { None, Lock, LockAndAskPassword };
enum class EIdleAction { None, HideMessage, Lock, ShowMessage };
// ContinueWatching undoes StopWatching alone: no start-up check, nothing held back released.
enum class EWatchAction { None, StartWatching, StopWatching, ContinueWatching };

// The verdict of a typed password, as the password dialog gets it.
struct SPasswordVerdict {
    int ok = 0;          // the password matched
    int mayUnlock = 0;   // ok, and the password alone may unlock
    int raiseAlarm = 0;  // wrong once too often while the alarm is on
};

// Power and session notices the engine acts on.
constexpr unsigned kPowerQuerySuspend = 0;        // PBT_APMQUERYSUSPEND
constexpr unsigned kPowerQuerySuspendFailed = 2;  // PBT_APMQUERYSUSPENDFAILED
constexpr unsigned kPowerSuspend = 4;             // PBT_APMSUSPEND
constexpr unsigned kPowerResumeSuspend = 7;       // PBT_APMRESUMESUSPEND
constexpr unsigned kSessionConsoleConnect = 1;
constexpr unsigned kSessionConsoleDisconnect = 2;
constexpr unsigned kSessionRemoteConnect = 3;
constexpr unsigned kSessionRemoteDisconnect = 4;
constexpr unsigned kSessionLock = 7;
constexpr unsigned kSessionUnlock = 8;

class CLockEngine {
public:
    // The record is the program's own; the engine reads it at every decision.
    explicit CLockEngine(const CLockSetting& setting) : m_setting(setting) {}

    // Watching starts (start-up, resume, return to the session): both ticks restart,
    // the automatic locks are no longer held back and the watchdog is checked again.
    void BeginWatching(Tick now);
    // The start-up check, from the stored lock state, the keys attached now and whether
    // the display is up already (resume, return to the session). A lock stored while the
    // display is not up survives a restart of the program even with the key in: it is
    // taken again, and the key snapshot keeps it until the key is pulled and inserted.
    EStartupAction StartupAction(int storedLock, bool keyPresent, bool locked) const;

    // The lock was taken / released at `now`.
    void OnLocked(Tick now, bool keyPresent, const CKeyDeviceList& found);
    void OnUnlocked(Tick now);

    // The keys changed; `present` and `found` are the match of the new snapshot.
    EKeyAction OnKeyListChanged(bool locked, bool present, const CKeyDeviceList& found);
    // For the open password dialog, from the keys attached now: 2 ends it (key and
    // password needed, key gone), 1 ends it (a key opens the lock), 0 keeps it. While a
    // snapshot is held it is checked first, and a key counts only once no snapshot is
    // left: the keys that were in at the lock open nothing, through the dialog neither.
    int PasswordDialogKeyState(bool present, const CKeyDeviceList& found);

    // Whether the password dialog may open: always without a password or with the
    // password alone; with key and password only while a key is attached.
    int QueryMayUnlock(bool keyPresent) const;
    // A password dialog opens: no password counts as accepted for it yet.
    void OnPasswordDialogOpened() { m_passwordAccepted = {}; }
    // A typed password: a wrong one counts towards the alarm, a right one is remembered
    // for the unlock request that follows.
    SPasswordVerdict CheckPassword(const std::string& typed);
    // An unlock request of kind 1 (the dialog ended with 1), with the dialog's may-unlock
    // value: whether it opens the lock. Any program may send one, so the request proves
    // nothing by itself: it opens only while locked, and only when this engine accepted the
    // password since the dialog opened (with key and password while a key is still
    // attached) or an attached key opens the lock by the rules in force. An accepted
    // request sets the password-unlock flag as far as the verdict allowed it.
    bool AcceptUnlock(bool locked, bool keyPresent, int value);
    int PasswordErrors() const { return m_passwordErrors; }
    void ResetPasswordErrors() { m_passwordErrors = 0; }

    // One no-input tick: the time of the last input Windows reports, and now.
    EIdleAction OnNoInputTick(bool locked, Tick lastInput, Tick now, bool messageShown);
    bool WantsNoInputTimer() const;

    // Commands from other programs.
    void OnLockNow();
    void OnSuspendLock(bool suspend) { m_suspended = suspend; }
    void OnReloadSettings() { m_passwordUnlock = false; }
    // The may-unlock value of an accepted unlock request: after an unlock by the
    // password alone the automatic locks wait until the next command or resume.
    void OnPasswordUnlock(bool mayUnlock) { m_passwordUnlock = mayUnlock; }

    // The watchdog-check flag: off while the watchdog goes away with the session.
    void OnWatchdogState(bool watchdogLeaving) { m_checkWatchdog = !watchdogLeaving; }
    // Off while the session really ends; on again when its end was cancelled.
    void OnEndSession(bool ending) { m_checkWatchdog = !ending; }
    bool ShouldCheckWatchdog() const { return m_checkWatchdog; }

    // A queried suspend stops watching until the resume; when the suspend does not come
    // (refused, or no resume before the wait for it ends) watching continues. Any program
    // can post the suspend notice too, so the wait runs on through it; a wait that ends
    // after one may follow a real sleep, and starts watching as the resume does. A query
    // while the wait runs is part of it: the wait is the first query's.
    EWatchAction OnPowerBroadcast(unsigned event);
    EWatchAction OnSuspendQueryTimeout();
    // From a suspend query to the resume, the refusal or the end of the wait.
    bool IsSuspendQueryPending() const { return m_suspendQueried; }
    EWatchAction OnSessionChange(unsigned event);
    // Any program can post a session lock notice: while one holds watching off, the window
    // asks at the notice and at every check whether the session is really locked. Once it
    // is not, watching starts as after its unlock.
    EWatchAction OnSessionLockCheck(bool reallyLocked);
    bool IsSessionLocked() const { return m_sessionLocked; }
    // The same for a disconnect notice: once the session is not really disconnected,
    // watching starts unless the session is locked as well.
    EWatchAction OnSessionDisconnectCheck(bool reallyDisconnected);
    bool IsSessionDisconnected() const { return m_sessionDisconnected; }

    const CKeySnapshot& Snapshot() const { return m_snapshot; }
    bool IsSuspended() const { return m_suspended; }
    bool IsPasswordUnlocked() const { return m_passwordUnlock; }

private:
    bool AutomaticLockAllowed() const { return !m_suspended && !m_passwordUnlock; }
    bool KeyAndPasswordNeeded() const;
    bool KeyOpens(bool keyPresent) const;
    bool IsAwayFromSession() const { return m_sessionDisconnected || m_sessionLocked; }
    EWatchAction EndSuspendWait();
    // Seconds since the later of `since` and the last input, each elapsed time taken
    // modulo 2^32 so that the tick count's wrap never makes an old tick look recent.
    std::uint32_t IdleSeconds(Tick since, Tick now) const;

    const CLockSetting& m_setting;
    bool m_checkWatchdog = true;
    Tick m_lastInput = 0;
    Tick m_lockTick = 0;
    Tick m_unlockTick = 0;
    bool m_suspended = false;
    bool m_passwordUnlock = false;
    bool m_sessionDisconnected = false;
    bool m_sessionLocked = false;
    bool m_suspendQueried = false;
    bool m_suspendNoticed = false;  // a suspend notice came since the query
    CKeySnapshot m_snapshot;
    int m_passwordErrors = 0;
    // The last right password since the dialog opened, and whether it alone may unlock.
    struct SAcceptedPassword {
        bool accepted = false;
        bool mayUnlock = false;
    } m_passwordAccepted;
};
