// The alarm on the Windows 8 road end to end, under Wine: what the lock-screen program's
// display sees (wrong passwords, clicks) crosses the event pipe to the simulated-USB
// Brontal, which counts it, publishes the alarm (event 4) to a client in this process and
// turns the display to the alarm picture without its controls.
#include <windows.h>

#include <gtest/gtest.h>

#include "framework/Handle.h"
#include "tests/common/HelperProcess.h"
#include "tests/resident/support/LockScreenProgram.h"
#include "tests/resident/support/SingleKeySession.h"

namespace {

constexpr int kEventLock = 1;
constexpr int kEventAlarm = 4;
constexpr int kExitButton = 1003;
constexpr int kBoxIcon = 1011;
constexpr int kPasswordText = 1012;
constexpr COLORREF kLockColour = RGB(200, 60, 30);
constexpr COLORREF kAlarmColour = RGB(20, 200, 120);

std::string TempPath(const std::string& name)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

class LockScreenAlarm : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(residentVersion.IsSet());
        ASSERT_TRUE(lockScreenVersion.IsSet());
        WriteSolidBitmap(lockPicture, kLockColour);
        WriteSolidBitmap(alarmPicture, kAlarmColour);
        session.SetLockPicture(lockPicture);
        ASSERT_TRUE(session.Start(kBrontal.c_str(), [&](CLockSetting& setting) {
            setting.PasswordSetting.SetPassword(1, "secret");
            setting.PasswordSetting.PasswordType = 1;
            setting.AlarmSetting.UseAlarm = 1;
            setting.AlarmSetting.AlarmPasswordErrorCount = 3;
            setting.AlarmSetting.AlarmMouseCount = 3;
            setting.AlarmSetting.AlarmChangeBmp = 0;  // the first alarm picture stays
            setting.AlarmSetting.AlarmBmpPath1 = alarmPicture;
        }));
        ASSERT_TRUE(WaitFor([&] { return (lockScreen = FindLockScreenProcess()) != 0 && FindLockScreenWindow(lockScreen); },
                            15000));
        session.Pull();
        ExpectEvent(kEventLock);
        ASSERT_TRUE(WaitFor([&] { return IsLockScreenCovering(lockScreen, Primary(), kLockColour); }));
    }
    void TearDown() override
    {
        session.Resident().Kill();
        testsupport::KillProcessesNamed("Marrowpane.exe");
        DeleteFileA(lockPicture.c_str());
        DeleteFileA(alarmPicture.c_str());
    }

    static RECT Primary() { return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }
    HWND Display() const { return FindLockScreenWindow(lockScreen); }
    void ExpectEvent(int code)
    {
        const auto event = session.Events().Next(10000);
        ASSERT_TRUE(event) << "no event " << code;
        EXPECT_EQ(code, event->code);
    }
    void ExpectNoEvent()
    {
        const auto event = session.Events().Next(kQuietWait);
        EXPECT_FALSE(event) << "event " << event->code;
    }
    // The alarm shows on the display: its picture, and no exit button to press.
    void ExpectAlarmDisplay() const
    {
        EXPECT_TRUE(WaitFor([&] {
            return IsLockScreenCovering(lockScreen, Primary(), kAlarmColour) &&
                   !IsWindowVisible(GetDlgItem(Display(), kExitButton));
        })) << std::hex << ScreenPixel(20, 20);
    }
    // A wrong password below the count: box 3201, closed by OK; the dialog stays.
    void TypeRefusedPassword(HWND dialog)
    {
        TypeLockScreenPassword(dialog, "wrong");
        ASSERT_TRUE(WaitFor([&] { return !VisibleWindowsWith(lockScreen, kBoxIcon).empty(); }));
        PostMessageA(VisibleWindowsWith(lockScreen, kBoxIcon).front(), WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitFor([&] { return VisibleWindowsWith(lockScreen, kBoxIcon).empty(); }));
        EXPECT_TRUE(IsWindowVisible(dialog));
    }

    CWineProgramVersion residentVersion{"Brontal.exe", "win10"};
    CWineProgramVersion lockScreenVersion{"Marrowpane.exe", "win10"};
    const std::string kBrontal = WindowsPathOf(KV_SIMULATED_BRONTAL);
    const std::string suffix = std::to_string(GetCurrentProcessId());
    const std::string lockPicture = TempPath("lockscreen-alarm-lock-" + suffix + ".bmp");
    const std::string alarmPicture = TempPath("lockscreen-alarm-" + suffix + ".bmp");
    CSingleKeySession session{SSimulatedKey{"key", CKeyDevice(0x0951, 0x1666, "KV0013A")},
                              "lockscreen-alarm-usb-" + suffix + ".txt"};
    DWORD lockScreen = 0;
};

// The count runs over password dialogs within one lock: one wrong password in a dialog
// that is then cancelled, two in the next; the third ends the dialog without a box.
TEST_F(LockScreenAlarm, TheThirdWrongPasswordRaisesTheAlarm)
{
    HWND dialog = OpenLockScreenPasswordDialog(lockScreen);
    ASSERT_TRUE(dialog);
    TypeRefusedPassword(dialog);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitFor([&] { return VisibleWindowsWith(lockScreen, kPasswordText).empty(); }));

    dialog = OpenLockScreenPasswordDialog(lockScreen);
    ASSERT_TRUE(dialog);
    TypeRefusedPassword(dialog);
    ExpectNoEvent();

    TypeLockScreenPassword(dialog, "wrong");
    ExpectEvent(kEventAlarm);
    EXPECT_TRUE(WaitFor([&] { return VisibleWindowsWith(lockScreen, kPasswordText).empty(); }));
    EXPECT_TRUE(VisibleWindowsWith(lockScreen, kBoxIcon).empty());
    ExpectAlarmDisplay();
    ExpectNoEvent();
}

TEST_F(LockScreenAlarm, ClicksOnTheDisplayRaiseTheAlarmAtTheCount)
{
    PostMessageA(Display(), WM_LBUTTONUP, 0, MAKELPARAM(40, 40));
    PostMessageA(Display(), WM_RBUTTONUP, 0, MAKELPARAM(40, 40));
    ExpectNoEvent();
    PostMessageA(Display(), WM_MBUTTONUP, 0, MAKELPARAM(40, 40));
    ExpectEvent(kEventAlarm);
    ExpectAlarmDisplay();
    // The controls are hidden: further clicks count nothing.
    PostMessageA(Display(), WM_LBUTTONUP, 0, MAKELPARAM(40, 40));
    ExpectNoEvent();
}

} // namespace
