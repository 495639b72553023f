// The alarm over a recorded lock display, a simulated mixer and the sound recorder of
// the test builds, with its timer on a window of the test's own thread.
#include "resident/Alarm.h"

#include "common/LockSetting.h"
#include "resident/LockEngine.h"
#include "display/sim/SimDisplayMachine.h"
#include "resident/sim/RecordingSoundPlatform.h"
#include "tests/common/TempFolder.h"
#include "tests/lockcore/RecordingScreen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <vector>

namespace {

// A locked display whose controls hide and show as told.
class LockedScreen : public RecordingScreen {
public:
    int shown = 1;
    int hidden = 0;

    int IsLockScreenShown() override { return shown; }
    int AreControlsHidden() override { return hidden; }
    int IsMessageShown() override { return 0; }
    int HideControls() override
    {
        hidden = 1;
        return RecordingScreen::HideControls();
    }
    int ShowControls() override
    {
        hidden = 0;
        return RecordingScreen::ShowControls();
    }
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class AlarmTest : public testing::Test {
protected:
    AlarmTest() : folder("alarm"), sound(folder.File("sound.txt"))
    {
        setting.SetDefaults();
        std::string error;
        EXPECT_TRUE(mixer.Load("mixer\nvolume value=30000\nmute value=1\n", error)) << error;
        // Message-only: no other program's window search reaches it.
        window = CreateWindowA("STATIC", "", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
        alarm = std::make_unique<CAlarm>(setting, engine, mixer, sound, [this](int event) { events.push_back(event); });
        alarm->Attach(window, &screen);
    }
    ~AlarmTest() override
    {
        alarm.reset();
        DestroyWindow(window);
    }

    std::vector<std::string> SoundCalls() const { return Lines(ReadWholeFile(folder.File("sound.txt"))); }
    std::vector<std::string> Pictures() const
    {
        std::vector<std::string> pictures;
        for (const std::string& call : screen.Calls())
            if (call.rfind("SelectPicture", 0) == 0)
                pictures.push_back(call.substr(14));
        return pictures;
    }
    // Runs the window's timer ticks through the alarm until it stops; false after 15 s.
    bool TickUntilStopped()
    {
        const DWORD start = GetTickCount();
        while (alarm->IsActive()) {
            if (GetTickCount() - start > 15000)
                return false;
            MSG message;
            if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_TIMER && message.hwnd == window)
                    alarm->OnTimer(message.wParam);
                else
                    DispatchMessageA(&message);
            } else {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            }
        }
        return true;
    }

    CTempFolder folder;
    CLockSetting setting;
    CLockEngine engine{setting};
    display::CSimDisplayMachine mixer;
    CRecordingSoundPlatform sound;
    LockedScreen screen;
    std::vector<int> events;
    HWND window = nullptr;
    std::unique_ptr<CAlarm> alarm;
};

TEST_F(AlarmTest, TenthKeyUpSoundsTheFileAtFullVolumeHidesTheControlsAndTellsTheClients)
{
    setting.AlarmSetting.AlarmWavPath = folder.File("siren.wav");
    WriteWholeFile(setting.AlarmSetting.AlarmWavPath, "RIFF....WAVE");
    engine.CheckPassword("wrong");
    for (int key = 0; key < 9; ++key) {
        ASSERT_TRUE(alarm->CanCountAlarmEvent(false));
        alarm->OnKeyEvent();
    }
    EXPECT_FALSE(alarm->IsActive());
    alarm->OnKeyEvent();
    ASSERT_TRUE(alarm->IsActive());

    EXPECT_EQ(SoundCalls(), std::vector<std::string>{"PlaySound " + setting.AlarmSetting.AlarmWavPath + " 0x2000B"});
    EXPECT_EQ(mixer.Writes(), (std::vector<std::string>{"volume 65535", "mute 0"}));
    EXPECT_EQ(Pictures(), std::vector<std::string>{"2"});
    EXPECT_EQ(screen.hidden, 1);
    EXPECT_EQ(events, std::vector<int>{4});
    EXPECT_EQ(engine.PasswordErrors(), 0);

    // Running, it counts nothing more and does not start again.
    EXPECT_FALSE(alarm->CanCountAlarmEvent(false));
    for (int key = 0; key < 20; ++key)
        alarm->OnKeyEvent();
    alarm->StartAlarm();
    EXPECT_EQ(events.size(), 1u);
    EXPECT_EQ(SoundCalls().size(), 1u);
}

TEST_F(AlarmTest, ClicksCountOnTheirOwnSettings)
{
    setting.AlarmSetting.AlarmMouseCount = 3;
    alarm->OnKeyEvent();
    alarm->OnKeyEvent();
    alarm->OnMouseEvent();
    alarm->OnMouseEvent();
    EXPECT_FALSE(alarm->IsActive());
    alarm->OnMouseEvent();
    EXPECT_TRUE(alarm->IsActive());
}

TEST_F(AlarmTest, WithoutAPlayableFileTheProgramsOwnSoundLoops)
{
    WriteWholeFile(folder.File("junk.wav"), "not a wave");
    for (const std::string& path : {std::string(), folder.File("missing.wav"), folder.File("junk.wav"), folder.Path()}) {
        setting.AlarmSetting.AlarmWavPath = path;
        DeleteFileA(folder.File("sound.txt").c_str());
        alarm->StartAlarm();
        const std::vector<std::string> calls = SoundCalls();
        ASSERT_FALSE(calls.empty()) << path;
        EXPECT_EQ(calls.back(), "PlaySound #161 0x4000F") << path;
        alarm->StopAlarm();
    }
}

TEST_F(AlarmTest, StartsOnlyOnTheLockedDisplayWithTheAlarmOnButAlwaysResetsTheCounters)
{
    struct Case {
        int shown, useAlarm;
        bool starts;
    };
    for (const Case& c : {Case{1, 1, true}, Case{0, 1, false}, Case{1, 0, false}, Case{2, 1, false}}) {
        screen.shown = c.shown;
        setting.AlarmSetting.UseAlarm = c.useAlarm;
        engine.CheckPassword("wrong");
        alarm->StartAlarm();
        EXPECT_EQ(alarm->IsActive(), c.starts) << c.shown << c.useAlarm;
        EXPECT_EQ(engine.PasswordErrors(), 0);
        alarm->StopAlarm();
    }
    EXPECT_EQ(events, std::vector<int>{4});
}

TEST_F(AlarmTest, PicturesAlternateEachSecondUntilPlaySecondsThenTheLockIsBack)
{
    setting.AlarmSetting.AlarmPlaySec = 2;
    const DWORD start = GetTickCount();
    alarm->StartAlarm();
    ASSERT_TRUE(TickUntilStopped());
    EXPECT_GE(GetTickCount() - start, 3000u);  // the first tick more than 2 s after the start

    EXPECT_EQ(Pictures(), (std::vector<std::string>{"2", "3", "2", "1"}));
    EXPECT_EQ(screen.hidden, 0);
    EXPECT_EQ(SoundCalls().back(), "PlaySound NULL 0x40");
    // Forced again at each tick, then the earlier volume and mute.
    const std::vector<std::string> expected = {"volume 65535", "mute 0", "volume 65535", "mute 0",
                                               "volume 65535", "mute 0", "volume 30000", "mute 1"};
    EXPECT_EQ(mixer.Writes(), expected);
}

TEST_F(AlarmTest, WithoutChangeBmpTheFirstAlarmPictureStays)
{
    setting.AlarmSetting.AlarmPlaySec = 1;
    setting.AlarmSetting.AlarmChangeBmp = 0;
    alarm->StartAlarm();
    ASSERT_TRUE(TickUntilStopped());
    EXPECT_EQ(Pictures(), (std::vector<std::string>{"2", "1"}));
}

TEST_F(AlarmTest, WithoutAMixerTheSoundStillPlaysAndNoVolumeIsWritten)
{
    std::string error;
    ASSERT_TRUE(mixer.Load("", error)) << error;
    alarm->StartAlarm();
    alarm->StopAlarm();
    EXPECT_TRUE(mixer.Writes().empty());
    EXPECT_EQ(SoundCalls(), (std::vector<std::string>{"PlaySound #161 0x4000F", "PlaySound NULL 0x40"}));
}

// The program ends (or loses its lock core) in the middle of an alarm: the sound stops
// and the speakers are put back, though the display is gone.
TEST_F(AlarmTest, AnAlarmEndingWithItsWindowStopsTheSoundAndRestoresTheVolume)
{
    alarm->StartAlarm();
    screen.Clear();
    alarm.reset();
    EXPECT_EQ(SoundCalls().back(), "PlaySound NULL 0x40");
    EXPECT_EQ(mixer.Writes().back(), "mute 1");
    EXPECT_EQ(mixer.Writes()[mixer.Writes().size() - 2], "volume 30000");
    EXPECT_TRUE(screen.Calls().empty());
}

} // namespace
