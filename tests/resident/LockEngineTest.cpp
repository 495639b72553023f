#include "resident/LockEngine.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace {

const CKeyDevice kKeyA(0x1234, 0x0001, "SERIAL-A");
const CKeyDevice kKeyB(0x1234, 0x0002, "SERIAL-B");
const CKeyDevice kOther(0x9999, 0x0001, "OTHER");

CUsbDeviceList Attached(const std::vector<CKeyDevice>& devices)
{
    CUsbDeviceList list;
    for (const CKeyDevice& device : devices)
        list.AddTail(CUsbDeviceEntry(device, CDeviceNameNode()));
    return list;
}

class LockEngineTest : public ::testing::Test {
protected:
    LockEngineTest()
    {
        setting.SetDefaults();
        setting.KeyDevices = {kKeyA};
    }

    // What the main window does on a key notice: match the new snapshot, then decide.
    EKeyAction KeysNow(bool locked, const std::vector<CKeyDevice>& devices)
    {
        const CUsbDeviceList list = Attached(devices);
        CKeyDeviceList found;
        const bool present = MatchRegisteredKeys(setting, &list, &found);
        return engine.OnKeyListChanged(locked, present, found);
    }
    void LockWith(const std::vector<CKeyDevice>& devices, Tick now = 1000)
    {
        const CUsbDeviceList list = Attached(devices);
        CKeyDeviceList found;
        const bool present = MatchRegisteredKeys(setting, &list, &found);
        engine.OnLocked(now, present, found);
    }

    CLockSetting setting;
    CLockEngine engine{setting};
};

TEST_F(LockEngineTest, KeyMatchFollowsKeyTypeAndNeverTrustsAnEmptyListOrNoWorker)
{
    struct Case {
        int keyType;
        std::vector<CKeyDevice> keys;
        std::vector<CKeyDevice> attached;
        bool worker;
        bool present;
        size_t found;
    };
    const Case cases[] = {
        {1, {kKeyA, kKeyB}, {kKeyA}, true, true, 1},
        {2, {kKeyA, kKeyB}, {kKeyA}, true, false, 1},
        {2, {kKeyA, kKeyB}, {kOther, kKeyB, kKeyA}, true, true, 2},
        {1, {kKeyA}, {kOther}, true, false, 0},
        {1, {}, {kKeyA}, true, false, 0},
        {2, {}, {kKeyA}, true, false, 0},     // all of no keys: still no key
        {1, {kKeyA}, {kKeyA}, false, false, 0},  // no worker, no snapshot
    };
    for (const Case& c : cases) {
        setting.KeyType = c.keyType;
        setting.KeyDevices = c.keys;
        const CUsbDeviceList list = Attached(c.attached);
        CKeyDeviceList found = {kOther};
        EXPECT_EQ(c.present, MatchRegisteredKeys(setting, c.worker ? &list : nullptr, &found))
            << "KeyType " << c.keyType << ", " << c.keys.size() << " keys";
        EXPECT_EQ(c.found, found.size());
    }
}

TEST(KeySnapshot, FreshChecksShrinkOrClearIt)
{
    const CKeyDevice lowerA(0x1234, 0x0001, "serial-a");
    struct Case {
        std::vector<CKeyDevice> taken;
        bool present;
        std::vector<CKeyDevice> fresh;
        bool held;
        size_t keys;
    };
    const Case cases[] = {
        {{kKeyA}, true, {kKeyA}, true, 1},             // the same key stays in
        {{kKeyA}, true, {lowerA}, true, 1},            // serials compare ignoring case
        {{kKeyA}, false, {}, false, 0},                // pulled
        {{kKeyA}, true, {kKeyA, kKeyB}, false, 0},     // a key more
        {{kKeyA, kKeyB}, true, {kKeyA}, true, 1},      // a key fewer: the snapshot shrinks
        {{kKeyA}, true, {kKeyB}, false, 0},            // one key swapped for another
        {{kKeyA, kKeyA}, true, {kKeyA, kKeyB}, false, 0},
    };
    for (const Case& c : cases) {
        CKeySnapshot snapshot;
        snapshot.Take(true, c.taken);
        snapshot.Check(c.present, c.fresh);
        EXPECT_EQ(c.held, snapshot.IsHeld()) << c.taken.size() << " taken, " << c.fresh.size() << " fresh";
        EXPECT_EQ(c.keys, snapshot.Keys().size());
    }
    CKeySnapshot none;
    none.Take(false, {kKeyA});
    EXPECT_FALSE(none.IsHeld());
    EXPECT_TRUE(none.Keys().empty());
}

TEST_F(LockEngineTest, LockTakenWithTheKeyInNeedsItPulledAndInsertedAgain)
{
    LockWith({kKeyA});
    EXPECT_EQ(EKeyAction::None, KeysNow(true, {kKeyA}));
    EXPECT_EQ(EKeyAction::None, KeysNow(true, {kKeyA}));
    EXPECT_EQ(EKeyAction::None, KeysNow(true, {}));
    EXPECT_EQ(EKeyAction::Unlock, KeysNow(true, {kKeyA}));
}

TEST_F(LockEngineTest, TwoKeysOfTypeOnePullingOneKeepsTheLockInsertingItUnlocks)
{
    setting.KeyDevices = {kKeyA, kKeyB};
    LockWith({kKeyA, kKeyB});
    EXPECT_EQ(EKeyAction::None, KeysNow(true, {kKeyB}));
    EXPECT_EQ(EKeyAction::Unlock, KeysNow(true, {kKeyB, kKeyA}));
}

TEST_F(LockEngineTest, SwappingTheAttachedKeyForAnotherUnlocks)
{
    setting.KeyDevices = {kKeyA, kKeyB};
    LockWith({kKeyA});
    EXPECT_EQ(EKeyAction::Unlock, KeysNow(true, {kKeyB}));
}

TEST_F(LockEngineTest, LockTakenWithoutKeyUnlocksOnInsertionOrAsksForThePassword)
{
    LockWith({});
    EXPECT_FALSE(engine.Snapshot().IsHeld());
    EXPECT_EQ(EKeyAction::None, KeysNow(true, {kOther}));
    EXPECT_EQ(EKeyAction::Unlock, KeysNow(true, {kKeyA}));

    setting.PasswordSetting.UsePassword = 1;
    setting.PasswordSetting.PasswordType = 2;
    EXPECT_EQ(EKeyAction::ShowPasswordDialog, KeysNow(true, {kKeyA}));
    setting.PasswordSetting.PasswordType = 1;
    EXPECT_EQ(EKeyAction::Unlock, KeysNow(true, {kKeyA}));
}

TEST_F(LockEngineTest, RemovalLocksUnlessHeldBack)
{
    EXPECT_EQ(EKeyAction::None, KeysNow(false, {kKeyA}));
    EXPECT_EQ(EKeyAction::Lock, KeysNow(false, {}));

    engine.OnSuspendLock(true);
    EXPECT_EQ(EKeyAction::None, KeysNow(false, {}));
    engine.OnSuspendLock(false);
    engine.OnPasswordUnlock(true);
    EXPECT_EQ(EKeyAction::None, KeysNow(false, {}));
    engine.OnReloadSettings();
    EXPECT_EQ(EKeyAction::Lock, KeysNow(false, {}));

    engine.OnSuspendLock(true);
    engine.OnPasswordUnlock(true);
    engine.OnLockNow();  // clears both
    EXPECT_FALSE(engine.IsSuspended());
    EXPECT_FALSE(engine.IsPasswordUnlocked());

    setting.LockKeyRemoved = 0;
    EXPECT_EQ(EKeyAction::None, KeysNow(false, {}));
}

TEST_F(LockEngineTest, AReloadThatLeavesNoKeyLocks)
{
    setting.KeyType = 2;
    setting.KeyDevices.clear();
    EXPECT_EQ(EKeyAction::Lock, KeysNow(false, {kKeyA}));
}

TEST_F(LockEngineTest, StartupCheck)
{
    // stored lock, LockStartup, key present, UsePassword, PasswordType, locked -> action
    using Row = std::tuple<int, int, bool, int, int, bool, EStartupAction>;
    const Row rows[] = {
        {0, 0, false, 0, 0, false, EStartupAction::None},
        {1, 0, false, 0, 0, false, EStartupAction::Lock},  // killed while locked
        {0, 1, false, 0, 0, false, EStartupAction::Lock},
        {0, 1, true, 0, 0, false, EStartupAction::None},
        // Killed while locked with the key in: locked again, the snapshot keeps it.
        {1, 0, true, 0, 0, false, EStartupAction::Lock},
        {1, 1, true, 1, 1, false, EStartupAction::Lock},
        // Resume while locked with the key in: the snapshot held already decides.
        {1, 0, true, 0, 0, true, EStartupAction::None},
        {1, 0, false, 0, 0, true, EStartupAction::Lock},
        {0, 1, true, 1, 2, false, EStartupAction::LockAndAskPassword},
        {1, 0, true, 1, 2, false, EStartupAction::LockAndAskPassword},
        {0, 1, true, 1, 1, false, EStartupAction::None},
        {0, 1, true, 0, 2, false, EStartupAction::None},
        {0, 0, true, 1, 2, false, EStartupAction::None},
    };
    for (const auto& [stored, startup, present, usePassword, passwordType, locked, expected] : rows) {
        setting.LockStartup = startup;
        setting.PasswordSetting.UsePassword = usePassword;
        setting.PasswordSetting.PasswordType = passwordType;
        EXPECT_EQ(expected, engine.StartupAction(stored, present, locked))
            << stored << startup << present << usePassword << passwordType << locked;
    }
}

TEST_F(LockEngineTest, PasswordDialogKeyState)
{
    const CKeyDeviceList none;
    const CKeyDeviceList keyA{kKeyA};
    setting.PasswordSetting.PasswordType = 2;
    EXPECT_EQ(2, engine.PasswordDialogKeyState(false, none));
    EXPECT_EQ(0, engine.PasswordDialogKeyState(true, keyA));
    setting.PasswordSetting.PasswordType = 1;
    EXPECT_EQ(1, engine.PasswordDialogKeyState(true, keyA));
    EXPECT_EQ(0, engine.PasswordDialogKeyState(false, none));
}

// A lock taken with the key in (lock-now, idle, start-up): the key still in must not
// open it through the password dialog's key watch either.
TEST_F(LockEngineTest, KeyWatchIgnoresTheKeysOfTheSnapshot)
{
    setting.PasswordSetting.PasswordType = 1;
    LockWith({kKeyA});
    const CKeyDeviceList keyA{kKeyA};
    EXPECT_EQ(0, engine.PasswordDialogKeyState(true, keyA));
    EXPECT_TRUE(engine.Snapshot().IsHeld());

    EXPECT_EQ(0, engine.PasswordDialogKeyState(false, {}));  // pulled: the snapshot goes
    EXPECT_EQ(1, engine.PasswordDialogKeyState(true, keyA));  // inserted again: it opens

    setting.PasswordSetting.PasswordType = 2;
    LockWith({kKeyA});
    EXPECT_EQ(2, engine.PasswordDialogKeyState(true, keyA));  // the old key does not count
}

TEST_F(LockEngineTest, QueryMayUnlock)
{
    const struct {
        int usePassword;
        int passwordType;
        bool keyPresent;
        int answer;
    } cases[] = {
        {0, 0, false, 1}, {0, 2, false, 1}, {1, 1, false, 1}, {1, 2, true, 1},
        {1, 2, false, 0}, {1, 0, true, 0},  {1, 3, true, 0},
    };
    for (const auto& c : cases) {
        setting.PasswordSetting.UsePassword = c.usePassword;
        setting.PasswordSetting.PasswordType = c.passwordType;
        EXPECT_EQ(c.answer, engine.QueryMayUnlock(c.keyPresent)) << c.usePassword << c.passwordType << c.keyPresent;
    }
}

TEST_F(LockEngineTest, PasswordCheckCountsWrongPasswordsTowardsTheAlarm)
{
    setting.PasswordSetting.SetPassword(1, "secret");
    setting.PasswordSetting.PasswordType = 1;
    setting.AlarmSetting.UseAlarm = 1;
    setting.AlarmSetting.AlarmPasswordErrorCount = 2;
    LockWith({});

    SPasswordVerdict v = engine.CheckPassword("secret");
    EXPECT_EQ(1, v.ok);
    EXPECT_EQ(1, v.mayUnlock);
    v = engine.CheckPassword("wrong");
    EXPECT_EQ(0, v.ok);
    EXPECT_EQ(0, v.raiseAlarm);
    v = engine.CheckPassword("Secret");
    EXPECT_EQ(1, v.raiseAlarm);
    EXPECT_EQ(2, engine.PasswordErrors());

    setting.PasswordSetting.PasswordType = 2;  // the password needs the key as well
    EXPECT_EQ(0, engine.CheckPassword("secret").mayUnlock);

    setting.PasswordSetting.UsePassword = 0;  // no password: every one is refused
    EXPECT_EQ(0, engine.CheckPassword("secret").ok);
    LockWith({});
    EXPECT_EQ(0, engine.PasswordErrors());  // each lock starts counting anew
}

// Any local program could send an unlock request: it opens the lock only after a password
// that this engine accepted since the dialog opened, or with a key that opens it by the
// rules in force, and the password-unlock flag follows the verdict, not the request.
TEST_F(LockEngineTest, UnlockRequestOpensOnlyAfterAnAcceptedPasswordOrWithAnOpeningKey)
{
    setting.PasswordSetting.SetPassword(1, "secret");
    const struct {
        const char* name;
        int passwordType;
        const char* typed;  // null: no password typed
        bool lockedWithKey;  // the lock holds a key snapshot
        bool keyPresent;
        bool locked;
        bool opens;
        bool passwordUnlock;
    } cases[] = {
        {"forged, nothing typed", 1, nullptr, false, false, true, false, false},
        {"wrong password", 1, "wrong", false, false, true, false, false},
        {"right password", 1, "secret", false, false, true, true, true},
        {"right password, not locked", 1, "secret", false, false, false, false, false},
        {"key and password, key in", 2, "secret", false, true, true, true, false},
        {"key and password, key pulled", 2, "secret", false, false, true, false, false},
        {"key and password, key alone", 2, nullptr, false, true, true, false, false},
        {"a key that opens", 1, nullptr, false, true, true, true, false},
        {"no password, a key that opens", 0, nullptr, false, true, true, true, false},
        {"the key of the snapshot", 1, nullptr, true, true, true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        setting.PasswordSetting.PasswordType = c.passwordType;
        setting.PasswordSetting.UsePassword = c.passwordType == 0 ? 0 : 1;
        LockWith(c.lockedWithKey ? std::vector<CKeyDevice>{kKeyA} : std::vector<CKeyDevice>{});
        engine.OnPasswordUnlock(false);
        engine.OnPasswordDialogOpened();
        if (c.typed)
            engine.CheckPassword(c.typed);
        EXPECT_EQ(c.opens, engine.AcceptUnlock(c.locked, c.keyPresent, 1));
        EXPECT_EQ(c.passwordUnlock, engine.IsPasswordUnlocked());
    }

    setting.PasswordSetting.PasswordType = 1;
    setting.PasswordSetting.UsePassword = 1;
    LockWith({});
    engine.OnPasswordDialogOpened();
    engine.CheckPassword("secret");
    EXPECT_TRUE(engine.AcceptUnlock(true, false, 1));
    EXPECT_FALSE(engine.AcceptUnlock(true, false, 1));  // one accepted password, one request

    engine.CheckPassword("secret");  // accepted before the dialog opened
    engine.OnPasswordDialogOpened();
    EXPECT_FALSE(engine.AcceptUnlock(true, false, 1));
}

class IdleTest : public LockEngineTest {
protected:
    IdleTest()
    {
        setting.LockNoInput = 1;
        setting.LockNoInputSec = 3;
    }
    // Two ticks with the same input time: the first one stores it, the second decides.
    EIdleAction IdleAt(bool locked, Tick lastInput, Tick now, bool messageShown = false)
    {
        engine.OnNoInputTick(locked, lastInput, now, messageShown);
        return engine.OnNoInputTick(locked, lastInput, now, messageShown);
    }
};

TEST_F(IdleTest, LocksAfterTheIdleTimeCountedFromTheLaterOfInputAndUnlock)
{
    engine.BeginWatching(10'000);
    EXPECT_EQ(EIdleAction::None, IdleAt(false, 9'000, 12'999));
    EXPECT_EQ(EIdleAction::Lock, IdleAt(false, 9'000, 13'000));
    EXPECT_EQ(EIdleAction::None, IdleAt(false, 12'000, 14'000));  // recent input
    engine.OnUnlocked(20'000);
    EXPECT_EQ(EIdleAction::None, IdleAt(false, 12'000, 22'000));  // the unlock resets idle time
    EXPECT_EQ(EIdleAction::Lock, IdleAt(false, 12'000, 23'500));
}

TEST_F(IdleTest, TickWrapNeverMakesAnOldTickLookRecent)
{
    // Unlocked 4 s before the wrap, input 0.25 s ago, after it: the PC is in use.
    engine.BeginWatching(0xFFFF'F000u);
    EXPECT_EQ(EIdleAction::None, IdleAt(false, 0x0000'0500u, 0x0000'0600u));
    // No input since well before the wrap, unlocked 4 s before it: idle for 5.5 s.
    EXPECT_EQ(EIdleAction::Lock, IdleAt(false, 0xFFFF'0000u, 0x0000'0600u));
    // At the start of watching the last input counts as 0; that never hides idle time.
    engine.BeginWatching(0x0000'0100u);
    EXPECT_EQ(EIdleAction::Lock, engine.OnNoInputTick(false, 0, 0x0000'1000u, false));
}

TEST_F(IdleTest, AutomaticLockHeldBackButNewInputHidesTheMessage)
{
    engine.BeginWatching(0);
    engine.OnSuspendLock(true);
    EXPECT_EQ(EIdleAction::None, IdleAt(false, 0, 60'000));
    engine.OnSuspendLock(false);
    engine.OnPasswordUnlock(true);
    EXPECT_EQ(EIdleAction::None, IdleAt(false, 0, 60'000));
    engine.BeginWatching(0);  // a resume clears both
    setting.LockNoInput = 2;  // only 1 turns the idle lock on
    EXPECT_EQ(EIdleAction::None, IdleAt(false, 0, 60'000));
    setting.LockNoInput = 1;
    EXPECT_EQ(EIdleAction::Lock, IdleAt(false, 0, 60'000));
    EXPECT_EQ(EIdleAction::HideMessage, engine.OnNoInputTick(true, 61'000, 61'000, true));
    EXPECT_EQ(EIdleAction::None, engine.OnNoInputTick(true, 62'000, 62'000, false));
}

TEST_F(IdleTest, ScreenSaverMessageWhileLocked)
{
    setting.UseScreenSaver = 1;
    setting.ScreenSaverSec = 60;
    engine.BeginWatching(0);
    engine.OnLocked(100'000, false, {});
    EXPECT_EQ(EIdleAction::None, IdleAt(true, 50'000, 159'999));
    EXPECT_EQ(EIdleAction::ShowMessage, IdleAt(true, 50'000, 160'000));
    EXPECT_EQ(EIdleAction::None, IdleAt(true, 50'000, 160'000, true));  // already shown
    setting.UseScreenSaver = 0;
    EXPECT_EQ(EIdleAction::None, IdleAt(true, 50'000, 200'000));
    EXPECT_TRUE(engine.WantsNoInputTimer());
    setting.LockNoInput = 0;
    EXPECT_FALSE(engine.WantsNoInputTimer());
    setting.UseScreenSaver = 1;
    EXPECT_TRUE(engine.WantsNoInputTimer());
}

TEST_F(LockEngineTest, WatchdogCheckFlag)
{
    EXPECT_TRUE(engine.ShouldCheckWatchdog());
    engine.OnWatchdogState(true);
    EXPECT_FALSE(engine.ShouldCheckWatchdog());
    engine.OnWatchdogState(false);
    EXPECT_TRUE(engine.ShouldCheckWatchdog());
    engine.OnEndSession(true);  // the session really ends: the watchdog goes with it
    EXPECT_FALSE(engine.ShouldCheckWatchdog());
    engine.OnEndSession(false);  // the end was cancelled: keep the watchdog running
    EXPECT_TRUE(engine.ShouldCheckWatchdog());
    engine.OnWatchdogState(true);
    engine.BeginWatching(0);
    EXPECT_TRUE(engine.ShouldCheckWatchdog());
}

TEST_F(LockEngineTest, PowerAndSessionNotices)
{
    EXPECT_EQ(EWatchAction::StopWatching, engine.OnPowerBroadcast(kPowerQuerySuspend));
    EXPECT_EQ(EWatchAction::StartWatching, engine.OnPowerBroadcast(kPowerResumeSuspend));
    EXPECT_EQ(EWatchAction::None, engine.OnPowerBroadcast(10));

    EXPECT_EQ(EWatchAction::None, engine.OnSessionChange(kSessionConsoleConnect));  // was not disconnected
    EXPECT_EQ(EWatchAction::StopWatching, engine.OnSessionChange(kSessionRemoteDisconnect));
    EXPECT_EQ(EWatchAction::None, engine.OnPowerBroadcast(kPowerResumeSuspend));
    EXPECT_EQ(EWatchAction::StopWatching, engine.OnSessionChange(kSessionLock));
    EXPECT_EQ(EWatchAction::None, engine.OnSessionChange(kSessionUnlock));  // still disconnected
    EXPECT_EQ(EWatchAction::StartWatching, engine.OnSessionChange(kSessionRemoteConnect));
    EXPECT_EQ(EWatchAction::StopWatching, engine.OnSessionChange(kSessionLock));
    EXPECT_EQ(EWatchAction::None, engine.OnPowerBroadcast(kPowerQuerySuspend));
    EXPECT_EQ(EWatchAction::StartWatching, engine.OnSessionChange(kSessionUnlock));
    EXPECT_EQ(EWatchAction::StopWatching, engine.OnPowerBroadcast(kPowerQuerySuspend));
    EXPECT_EQ(EWatchAction::None, engine.OnSessionChange(5));  // logon: nothing
}

// Watching stops when a suspend is asked for; when that suspend does not come (a program
// refused it, or no word of it arrives in time), it goes on as before, without the
// start-up check of a resume. Any program can post the suspend notice too: the wait runs
// on through it, and when it ends no resume came, or not yet after a real wake, so
// watching starts with the start-up check.
TEST_F(LockEngineTest, AQueriedSuspendThatDoesNotHappenContinuesWatching)
{
    constexpr unsigned kTimeout = ~0u;  // the wait for the suspend ran out
    struct Step {
        unsigned event;
        EWatchAction action;
        bool waiting;  // the wait for the suspend runs after the step
    };
    const std::vector<std::vector<Step>> cases = {
        {{kPowerQuerySuspend, EWatchAction::StopWatching, true},
         {kPowerQuerySuspendFailed, EWatchAction::ContinueWatching, false}},
        {{kPowerQuerySuspend, EWatchAction::StopWatching, true}, {kTimeout, EWatchAction::ContinueWatching, false}},
        {{kPowerQuerySuspendFailed, EWatchAction::None, false}},  // no query: watching never stopped
        {{kPowerSuspend, EWatchAction::None, false}},  // no query (Vista and later): the resume starts watching
        {{kPowerQuerySuspend, EWatchAction::StopWatching, true},
         {kPowerQuerySuspendFailed, EWatchAction::ContinueWatching, false},
         {kTimeout, EWatchAction::None, false}},
        {{kPowerQuerySuspend, EWatchAction::StopWatching, true}, {kPowerSuspend, EWatchAction::None, true},
         {kTimeout, EWatchAction::StartWatching, false}, {kPowerResumeSuspend, EWatchAction::StartWatching, false}},
        {{kPowerQuerySuspend, EWatchAction::StopWatching, true}, {kPowerSuspend, EWatchAction::None, true},
         {kPowerResumeSuspend, EWatchAction::StartWatching, false}, {kTimeout, EWatchAction::None, false}},
        {{kPowerQuerySuspend, EWatchAction::StopWatching, true},
         {kPowerResumeSuspend, EWatchAction::StartWatching, false}, {kTimeout, EWatchAction::None, false}},
        // A query repeated while the wait runs (Windows sends none) begins no wait of its
        // own: the first one's goes on, with what it saw.
        {{kPowerQuerySuspend, EWatchAction::StopWatching, true}, {kPowerSuspend, EWatchAction::None, true},
         {kPowerQuerySuspend, EWatchAction::StopWatching, true}, {kTimeout, EWatchAction::StartWatching, false}},
    };
    for (size_t c = 0; c < cases.size(); ++c) {
        CLockEngine fresh(setting);
        for (size_t step = 0; step < cases[c].size(); ++step) {
            const Step& expected = cases[c][step];
            const EWatchAction action = expected.event == kTimeout ? fresh.OnSuspendQueryTimeout()
                                                                   : fresh.OnPowerBroadcast(expected.event);
            EXPECT_EQ(expected.action, action) << "case " << c << ", step " << step;
            EXPECT_EQ(expected.waiting, fresh.IsSuspendQueryPending()) << "case " << c << ", step " << step;
        }
    }

    // A refused suspend is no resume: what holds the automatic locks back stays.
    engine.OnSuspendLock(true);
    engine.OnPasswordUnlock(true);
    engine.OnPowerBroadcast(kPowerQuerySuspend);
    EXPECT_EQ(EWatchAction::ContinueWatching, engine.OnPowerBroadcast(kPowerQuerySuspendFailed));
    EXPECT_TRUE(engine.IsSuspended());
    EXPECT_TRUE(engine.IsPasswordUnlocked());
    // The session went away meanwhile: its return starts watching, not the refusal.
    engine.OnPowerBroadcast(kPowerQuerySuspend);
    engine.OnSessionChange(kSessionLock);
    EXPECT_EQ(EWatchAction::None, engine.OnPowerBroadcast(kPowerQuerySuspendFailed));
}

TEST(SessionLockDesktop, OnlyWinlogonsOrOneThatCannotBeOpenedShowsTheSessionLocked)
{
    const std::vector<std::pair<std::optional<std::string>, bool>> cases = {
        {"Winlogon", true}, {"WINLOGON", true}, {std::nullopt, true}, {"Default", false},
        {"Screen-saver", false}, {"Winlogon2", false}, {"Winlogo", false}, {"", false},
    };
    for (const auto& [desktop, locked] : cases)
        EXPECT_EQ(locked, IsSessionLockDesktop(desktop)) << desktop.value_or("(none)");
}

TEST(InputDesktopSwitchedAway, OnlyAnOrdinaryDesktopOtherThanTheDisplaysIsSwitchedBack)
{
    struct Case {
        std::optional<std::string> input, display;
        bool switchBack;
    };
    const Case cases[] = {
        {"Other", "Default", true},          {"Default", "Other", true},
        {"Default", "Default", false},       {"DEFAULT", "Default", false},
        {"Winlogon", "Default", false},      {"WINLOGON", "Default", false},
        {"Screen-saver", "Default", false},  {"screen-saver", "Default", false},
        {std::nullopt, "Default", false},    {"Other", std::nullopt, false},
        {"Winlogon2", "Default", true},      {"Screen-saver", "Screen-saver", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.switchBack, IsInputSwitchedAway(c.input, c.display))
            << c.input.value_or("(none)") << " from " << c.display.value_or("(none)");
}

// Session notices and checks of the session in turn, from a fresh engine; a check is a
// pseudo-event past every notice.
constexpr unsigned kLockedNow = ~0u, kNotLockedNow = ~1u, kDisconnectedNow = ~2u, kConnectedNow = ~3u;
using SessionSteps = std::vector<std::pair<unsigned, EWatchAction>>;

void ExpectSessionSteps(const CLockSetting& setting, const std::vector<SessionSteps>& cases)
{
    for (size_t c = 0; c < cases.size(); ++c) {
        CLockEngine fresh(setting);
        for (size_t step = 0; step < cases[c].size(); ++step) {
            const auto& [event, expected] = cases[c][step];
            EWatchAction action = EWatchAction::None;
            if (event == kLockedNow || event == kNotLockedNow)
                action = fresh.OnSessionLockCheck(event == kLockedNow);
            else if (event == kDisconnectedNow || event == kConnectedNow)
                action = fresh.OnSessionDisconnectCheck(event == kDisconnectedNow);
            else
                action = fresh.OnSessionChange(event);
            EXPECT_EQ(expected, action) << "case " << c << ", step " << step;
        }
    }
}

// A lock notice holds watching off only while the session is really locked, asked at the
// notice and at every check; a real lock and unlock go as before.
TEST_F(LockEngineTest, ASessionLockNoticeStopsWatchingOnlyWhileTheSessionIsReallyLocked)
{
    ExpectSessionSteps(setting, {
        // No lock behind the notice: watching starts again at once.
        {{kSessionLock, EWatchAction::StopWatching}, {kNotLockedNow, EWatchAction::StartWatching},
         {kNotLockedNow, EWatchAction::None}},
        // A real lock and its unlock.
        {{kSessionLock, EWatchAction::StopWatching}, {kLockedNow, EWatchAction::None}, {kLockedNow, EWatchAction::None},
         {kSessionUnlock, EWatchAction::StartWatching}, {kNotLockedNow, EWatchAction::None}},
        // A lock that ended without its notice, or whose notice comes after the check.
        {{kSessionLock, EWatchAction::StopWatching}, {kLockedNow, EWatchAction::None},
         {kNotLockedNow, EWatchAction::StartWatching}, {kSessionUnlock, EWatchAction::StartWatching}},
        // Disconnected as well: the return to the session starts watching.
        {{kSessionConsoleDisconnect, EWatchAction::StopWatching}, {kSessionLock, EWatchAction::StopWatching},
         {kNotLockedNow, EWatchAction::None}, {kSessionConsoleConnect, EWatchAction::StartWatching}},
        {{kNotLockedNow, EWatchAction::None}},
    });

    // The session turned out not locked: a suspend query stops watching again.
    engine.OnSessionChange(kSessionLock);
    engine.OnSessionLockCheck(false);
    EXPECT_FALSE(engine.IsSessionLocked());
    EXPECT_EQ(EWatchAction::StopWatching, engine.OnPowerBroadcast(kPowerQuerySuspend));
}

TEST(SessionConnectState, OnlyADisconnectedStateShowsTheSessionDisconnected)
{
    // WTS_CONNECTSTATE_CLASS: 0 active, 1 connected, 2 connecting, 4 disconnected, 5 idle, 7 reset.
    const std::vector<std::pair<std::optional<unsigned>, bool>> cases = {
        {4u, true}, {0u, false}, {1u, false}, {2u, false}, {5u, false}, {7u, false}, {std::nullopt, false},
    };
    for (const auto& [state, disconnected] : cases)
        EXPECT_EQ(disconnected, IsSessionDisconnectedState(state)) << (state ? std::to_string(*state) : "(none)");
}

// The same for a disconnect notice, by the session's connect state.
TEST_F(LockEngineTest, ASessionDisconnectNoticeStopsWatchingOnlyWhileTheSessionIsReallyDisconnected)
{
    ExpectSessionSteps(setting, {
        // No disconnect behind the notice: watching starts again at once.
        {{kSessionRemoteDisconnect, EWatchAction::StopWatching}, {kConnectedNow, EWatchAction::StartWatching},
         {kConnectedNow, EWatchAction::None}, {kSessionRemoteConnect, EWatchAction::None}},
        // A real disconnect and its connect.
        {{kSessionConsoleDisconnect, EWatchAction::StopWatching}, {kDisconnectedNow, EWatchAction::None},
         {kDisconnectedNow, EWatchAction::None}, {kSessionConsoleConnect, EWatchAction::StartWatching},
         {kConnectedNow, EWatchAction::None}},
        // A return to the session without its notice.
        {{kSessionConsoleDisconnect, EWatchAction::StopWatching}, {kDisconnectedNow, EWatchAction::None},
         {kConnectedNow, EWatchAction::StartWatching}, {kSessionConsoleConnect, EWatchAction::None}},
        // Locked too: watching waits for the unlock, or for a check that finds none.
        {{kSessionLock, EWatchAction::StopWatching}, {kSessionConsoleDisconnect, EWatchAction::StopWatching},
         {kConnectedNow, EWatchAction::None}, {kSessionUnlock, EWatchAction::StartWatching}},
        {{kSessionLock, EWatchAction::StopWatching}, {kSessionRemoteDisconnect, EWatchAction::StopWatching},
         {kConnectedNow, EWatchAction::None}, {kNotLockedNow, EWatchAction::StartWatching}},
        {{kConnectedNow, EWatchAction::None}},
    });

    // The session turned out connected: a suspend query stops watching again.
    engine.OnSessionChange(kSessionConsoleDisconnect);
    engine.OnSessionDisconnectCheck(false);
    EXPECT_FALSE(engine.IsSessionDisconnected());
    EXPECT_EQ(EWatchAction::StopWatching, engine.OnPowerBroadcast(kPowerQuerySuspend));
}

} // namespace
