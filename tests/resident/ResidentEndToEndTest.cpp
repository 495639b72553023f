// The resident program end to end, under Wine: a test build of Brontal whose USB calls go
// to a simulated machine, a settings file that registers its keys, and a lock-event client
// in this (another) process.
#include "common/CompanionLink.h"
#include "tests/resident/support/EventClient.h"
#include "tests/resident/support/ResidentProcess.h"
#include "tests/resident/support/SimulatedKeys.h"

#include <dbt.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int kEventLock = 1;
constexpr int kEventUnlock = 2;
constexpr int kEventChangeSetting = 3;
constexpr DWORD kEventWait = 5000;
// How long nothing has to happen for "no event" to count.
constexpr DWORD kQuietWait = 1500;

const SSimulatedKey kKeyA{"keyA", CKeyDevice(0x0951, 0x1666, "KV0001A")};
const SSimulatedKey kKeyB{"keyB", CKeyDevice(0x0781, 0x5567, "KV0002B")};

std::string TempPath(const std::string& name)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

class ResidentEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(events.Start());
        setting.SetDefaults();
        setting.LockStartup = 0;
        setting.LockNoInput = 0;
    }

    // Registers the keys, attaches them all and starts the program.
    void StartWith(const std::vector<SSimulatedKey>& registered, const std::vector<SSimulatedKey>& attached)
    {
        setting.KeyDevices.clear();
        for (const SSimulatedKey& key : registered)
            setting.KeyDevices.push_back(key.identity);
        WriteSettings(setting);
        keys = std::make_unique<CSimulatedKeys>(scenarioPath, attached);
        SetEnvironmentVariableA("KV_USB_SCENARIO", scenarioPath.c_str());
        ASSERT_TRUE(resident.Start(kBrontal, &events));
    }
    void Restart()
    {
        resident.Kill();
        ASSERT_TRUE(resident.Start(kBrontal, &events));
    }

    // The simulated key changes, then Windows' device notice.
    void Pull(const SSimulatedKey& key)
    {
        keys->Pull(key.tag);
        resident.Post(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);
    }
    void Insert(const SSimulatedKey& key)
    {
        keys->Insert(key.tag);
        resident.Post(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);
    }

    void ExpectEvent(int code, DWORD wait = kEventWait)
    {
        const auto event = events.Next(wait);
        ASSERT_TRUE(event) << "no event " << code;
        EXPECT_EQ(code, event->code);
    }
    void ExpectNoEvent(DWORD wait = kQuietWait)
    {
        const auto event = events.Next(wait);
        EXPECT_FALSE(event) << "unexpected event " << event->code;
    }

    const std::string kBrontal = WindowsPathOf(KV_SIMULATED_BRONTAL);
    const std::string scenarioPath = TempPath("resident-e2e-" + std::to_string(GetCurrentProcessId()) + ".txt");
    CEventClient events;
    CLockSetting setting;
    std::unique_ptr<CSimulatedKeys> keys;
    CResidentProcess resident;
};

TEST_F(ResidentEndToEnd, PullLocksAndInsertUnlocks)
{
    StartWith({kKeyA}, {kKeyA});
    ExpectNoEvent();
    EXPECT_EQ(-1, ReadLockState());

    Pull(kKeyA);
    ExpectEvent(kEventLock);
    EXPECT_EQ(1, ReadLockState());

    Insert(kKeyA);
    ExpectEvent(kEventUnlock);
    EXPECT_EQ(0, ReadLockState());
}

TEST_F(ResidentEndToEnd, LockNowWithTheKeyInNeedsItPulledAndInserted)
{
    StartWith({kKeyA}, {kKeyA});
    resident.Post(UM_LOCK_NOW);
    ExpectEvent(kEventLock);

    resident.Post(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);  // nothing changed
    ExpectNoEvent();
    Pull(kKeyA);
    ExpectNoEvent();
    Insert(kKeyA);
    ExpectEvent(kEventUnlock);
}

TEST_F(ResidentEndToEnd, TwoKeysOfTypeOnePullingOneKeepsTheLock)
{
    setting.KeyType = 1;
    StartWith({kKeyA, kKeyB}, {kKeyA, kKeyB});
    resident.Post(UM_LOCK_NOW);
    ExpectEvent(kEventLock);

    Pull(kKeyB);
    ExpectNoEvent();
    Insert(kKeyB);
    ExpectEvent(kEventUnlock);
}

TEST_F(ResidentEndToEnd, KilledWhileLockedStartsLockedWithoutTheKey)
{
    StartWith({kKeyA}, {kKeyA});
    Pull(kKeyA);
    ExpectEvent(kEventLock);

    Restart();  // LockStartup is 0: only the stored lock state locks
    ExpectEvent(kEventLock);
    EXPECT_EQ(1, ReadLockState());
    Insert(kKeyA);
    ExpectEvent(kEventUnlock);
}

TEST_F(ResidentEndToEnd, IdleTimeLocks)
{
    setting.LockNoInput = 1;
    setting.LockNoInputSec = 3;
    StartWith({kKeyA}, {kKeyA});
    const DWORD start = GetTickCount();  // the window is up: watching starts now
    ExpectEvent(kEventLock, 15000);
    const DWORD elapsed = GetTickCount() - start;
    // Never before the idle time; after it, within a few checks even on a busy machine
    // (6.5 s was seen while other builds ran).
    EXPECT_GE(elapsed, 2500u);
    EXPECT_LE(elapsed, 10000u);
}

TEST_F(ResidentEndToEnd, SuspendedLocksOnlyOnCommand)
{
    setting.LockNoInput = 1;
    setting.LockNoInputSec = 3;
    StartWith({kKeyA}, {kKeyA});
    resident.Post(UM_SUSPEND_LOCK, 0);
    Pull(kKeyA);
    ExpectNoEvent(4500);  // neither the removal nor the idle time locks

    resident.Post(UM_LOCK_NOW);
    ExpectEvent(kEventLock);
}

TEST_F(ResidentEndToEnd, ReloadPublishesTheSettingsChange)
{
    StartWith({kKeyA}, {kKeyA});
    resident.Post(UM_RELOAD_SETTINGS);
    ExpectEvent(kEventChangeSetting);
    ExpectNoEvent();
}

TEST_F(ResidentEndToEnd, SecondInstanceEndsAtOnceWithNothingShown)
{
    StartWith({kKeyA}, {kKeyA});
    CResidentProcess second;
    ASSERT_TRUE(second.Launch(kBrontal));
    EXPECT_TRUE(second.WaitForExit(5000));
    EXPECT_TRUE(IsWindow(resident.Window()));  // the first one runs on, untouched
    ExpectNoEvent(500);
}

} // namespace
