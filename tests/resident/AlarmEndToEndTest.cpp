// The alarm end to end, under Wine: the test build of Brontal locked by pulling its
// simulated key, key-ups typed by SendInput, event 4 at a client in this process and
// the test build's sound recorder.
#include "framework/Handle.h"
#include "tests/common/TempFolder.h"
#include "tests/resident/support/EventClient.h"
#include "tests/resident/support/ResidentProcess.h"
#include "tests/resident/support/SimulatedKeys.h"

#include <dbt.h>
#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int kEventLock = 1;
constexpr int kEventAlarm = 4;
const SSimulatedKey kKey{"key", CKeyDevice(0x0951, 0x1666, "KV0001A")};

void TypeKeyUp()
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = 'Q';
    input.ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
}

// Polls `done` every 100 ms until it holds or `timeout` ms passed.
template <typename Done>
bool WaitFor(Done done, DWORD timeout)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeout)
            return false;
        Sleep(100);
    }
    return true;
}

TEST(AlarmEndToEnd, KeyUpsOnTheLockedDisplaySoundTheAlarmUntilPlaySeconds)
{
    CTempFolder folder("alarm-e2e");
    const std::string soundRecord = folder.File("sound.txt");
    const std::string usbScenario = folder.File("usb.txt");
    SetEnvironmentVariableA("KV_SOUND_RECORD", soundRecord.c_str());
    SetEnvironmentVariableA("KV_USB_SCENARIO", usbScenario.c_str());

    CLockSetting setting;
    setting.SetDefaults();
    setting.LockStartup = 0;
    setting.LockNoInput = 0;
    setting.KeyDevices = {kKey.identity};
    setting.AlarmSetting.AlarmKeyCount = 5;
    setting.AlarmSetting.AlarmPlaySec = 2;
    WriteSettings(setting);
    CSimulatedKeys keys(usbScenario, {kKey});
    CEventClient events;
    ASSERT_TRUE(events.Start());
    CResidentProcess resident;
    ASSERT_TRUE(resident.Start(WindowsPathOf(KV_SIMULATED_BRONTAL), &events));

    keys.Pull(kKey.tag);
    resident.Post(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);
    const auto locked = events.Next(10000);
    ASSERT_TRUE(locked);
    EXPECT_EQ(locked->code, kEventLock);

    // Key-ups until the alarm: the display takes a moment to put its hook on.
    std::optional<SReceivedEvent> alarm;
    ASSERT_TRUE(WaitFor(
        [&] {
            TypeKeyUp();
            alarm = events.Next(0);
            return alarm.has_value();
        },
        20000));
    EXPECT_EQ(alarm->code, kEventAlarm);
    const auto played = [&] { return ReadWholeFile(soundRecord).find("PlaySound #161 0x4000F\n") == 0; };
    EXPECT_TRUE(WaitFor(played, 5000)) << ReadWholeFile(soundRecord);

    // More than AlarmPlaySec later the sound is purged; it never started a second time.
    const auto purged = [&] { return ReadWholeFile(soundRecord) == "PlaySound #161 0x4000F\nPlaySound NULL 0x40\n"; };
    EXPECT_TRUE(WaitFor(purged, 15000)) << ReadWholeFile(soundRecord);
    resident.Kill();
    SetEnvironmentVariableA("KV_SOUND_RECORD", nullptr);
    SetEnvironmentVariableA("KV_USB_SCENARIO", nullptr);
}

} // namespace
