// The Windows 8 road end to end, under Wine: the simulated-USB Brontal, which Wine tells
// it runs on Windows 10, starts the lock-screen program beside it and drives it over the
// two pipes. The monitors come from a display scenario; a lock-event client runs here.
#include <windows.h>

#include <dbt.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "common/CompanionLink.h"
#include "common/ProcessFinder.h"
#include "lockcore/PipeProtocol.h"
#include "lockcore/ServerThread.h"
#include "tests/common/HelperProcess.h"
#include "tests/lockcore/StandInScreen.h"
#include "tests/resident/support/EventClient.h"
#include "tests/resident/support/LockScreenProgram.h"
#include "tests/resident/support/ResidentProcess.h"
#include "tests/resident/support/SessionScenario.h"
#include "tests/resident/support/SimulatedKeys.h"

namespace {

constexpr int kEventLock = 1;
constexpr int kEventUnlock = 2;
constexpr DWORD kEventWait = 10000;
constexpr int kExitButton = 1003;
constexpr int kBoxIcon = 1011;
constexpr int kPasswordText = 1012;
constexpr int kCoverPicture = 1015;
constexpr int kPictureControl = 1001;

const SSimulatedKey kKey{"key", CKeyDevice(0x0951, 0x1666, "KV0001A")};

std::string TempPath(const std::string& name)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

class ResidentLockScreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(residentVersion.IsSet());
        ASSERT_TRUE(lockScreenVersion.IsSet());
        width = GetSystemMetrics(SM_CXSCREEN);
        height = GetSystemMetrics(SM_CYSCREEN);
        std::ofstream(displayPath, std::ios::binary)
            << "monitor left=0 top=0 right=" << width << " bottom=" << height << " primary=1\n"
            << "monitor left=" << width << " top=0 right=" << width + 800 << " bottom=600\n";
        SetEnvironmentVariableA("KV_DISPLAY_SCENARIO", displayPath.c_str());  // inherited by both programs
        WriteSolidBitmap(picturePath, kPictureColour);
        ASSERT_TRUE(events.Start());
        setting.SetDefaults();
        setting.LockStartup = 0;
        setting.LockNoInput = 0;
        setting.LockBmpFilePath = picturePath;
        setting.KeyDevices = {kKey.identity};
        Configure(setting);
        WriteSettings(setting);
        keys = std::make_unique<CSimulatedKeys>(scenarioPath, std::vector<SSimulatedKey>{kKey});
        SetEnvironmentVariableA("KV_USB_SCENARIO", scenarioPath.c_str());
        ASSERT_TRUE(resident.Start(kBrontal, &events));
        lockScreen = WaitForLockScreen();
        ASSERT_NE(0u, lockScreen);
    }
    virtual void Configure(CLockSetting&) {}

    void TearDown() override
    {
        resident.Kill();
        KillLockScreens();
        DeleteFileA(displayPath.c_str());
        DeleteFileA(picturePath.c_str());
    }

    static void KillLockScreens()
    {
        testsupport::KillProcessesNamed("Marrowpane.exe");
    }

    DWORD WaitForLockScreen(DWORD except = 0, DWORD timeout = 15000) const
    {
        DWORD found = 0;
        WaitFor([&] { return (found = FindLockScreenProcess(except)) != 0 && FindLockScreenWindow(found); },
                timeout);
        return found;
    }

    void Pull()
    {
        keys->Pull(kKey.tag);
        resident.Post(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);
    }
    void Insert()
    {
        keys->Insert(kKey.tag);
        resident.Post(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);
    }
    void ExpectEvent(int code)
    {
        const auto event = events.Next(kEventWait);
        ASSERT_TRUE(event) << "no event " << code;
        EXPECT_EQ(code, event->code);
    }

    // The display covers the primary monitor, top-most, with the settings' picture.
    bool IsCovering(DWORD process) const { return IsLockScreenCovering(process, RECT{0, 0, width, height}, kPictureColour); }
    bool HasCover(DWORD process) const
    {
        const std::vector<HWND> covers = VisibleWindowsWith(process, kCoverPicture, kPictureControl);
        RECT rect{};
        const RECT expected{width, 0, width + 800, 600};
        return covers.size() == 1 && GetWindowRect(covers.front(), &rect) && EqualRect(&rect, &expected);
    }
    // Kills Brontal while locked and starts it again: the old display goes, the restarted
    // program comes up locked with a new display, and the key still opens it.
    void ExpectResidentRestartReplacesTheDisplay()
    {
        fw::unique_handle old(OpenProcess(SYNCHRONIZE, FALSE, lockScreen));
        resident.Kill();
        ASSERT_TRUE(resident.Start(kBrontal, &events));
        ExpectEvent(kEventLock);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(old.get(), 10000));
        const DWORD replacement = WaitForLockScreen(lockScreen);
        ASSERT_NE(0u, replacement);
        EXPECT_TRUE(WaitFor([&] { return IsCovering(replacement) && HasCover(replacement); }));
        Insert();
        ExpectEvent(kEventUnlock);
    }
    bool IsHidden(DWORD process) const { return IsLockScreenHidden(process); }
    // Locks, and once the display covers, kills the lock-screen program.
    void LockAndKillTheLockScreen()
    {
        Pull();
        ExpectEvent(kEventLock);
        ASSERT_TRUE(WaitFor([&] { return IsCovering(lockScreen); }));
        fw::unique_handle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, lockScreen));
        ASSERT_TRUE(process);
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 5000);
    }

    static constexpr COLORREF kPictureColour = RGB(200, 60, 30);
    CWineProgramVersion residentVersion{"Brontal.exe", "win10"};
    CWineProgramVersion lockScreenVersion{"Marrowpane.exe", "win10"};
    const std::string kBrontal = WindowsPathOf(KV_SIMULATED_BRONTAL);
    const std::string suffix = std::to_string(GetCurrentProcessId());
    const std::string scenarioPath = TempPath("resident-lockscreen-usb-" + suffix + ".txt");
    const std::string displayPath = TempPath("resident-lockscreen-display-" + suffix + ".txt");
    const std::string picturePath = TempPath("resident-lockscreen-" + suffix + ".bmp");
    int width = 0;
    int height = 0;
    CEventClient events;
    CLockSetting setting;
    std::unique_ptr<CSimulatedKeys> keys;
    CResidentProcess resident;
    DWORD lockScreen = 0;
};

TEST_F(ResidentLockScreen, PullCoversEveryMonitorAndInsertUncovers)
{
    EXPECT_TRUE(IsHidden(lockScreen));
    Pull();
    ExpectEvent(kEventLock);
    EXPECT_TRUE(WaitFor([&] { return IsCovering(lockScreen) && HasCover(lockScreen); }))
        << std::hex << ScreenPixel(20, 20);
    RECT own{};
    GetWindowRect(resident.Window(), &own);
    EXPECT_EQ(1, own.right - own.left);  // the resident program shows nothing of its own
    EXPECT_EQ(1, own.bottom - own.top);

    Insert();
    ExpectEvent(kEventUnlock);
    EXPECT_TRUE(WaitFor([&] { return IsHidden(lockScreen); }));
}

TEST_F(ResidentLockScreen, AKilledLockScreenIsReplacedWithTheDisplayWithinTwoSeconds)
{
    Pull();
    ExpectEvent(kEventLock);
    ASSERT_TRUE(WaitFor([&] { return IsCovering(lockScreen); }));
    const DWORD start = GetTickCount();
    {
        fw::unique_handle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, lockScreen));
        ASSERT_TRUE(process);
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 5000);
    }
    const DWORD replacement = WaitForLockScreen(lockScreen);
    ASSERT_NE(0u, replacement);
    EXPECT_TRUE(WaitFor([&] { return IsCovering(replacement) && HasCover(replacement); }));
    EXPECT_LT(GetTickCount() - start, 2500u);  // the check runs every second, a start takes a moment
    Insert();
    ExpectEvent(kEventUnlock);
    EXPECT_TRUE(WaitFor([&] { return IsHidden(replacement); }));
}

// A display destroyed with another program's window that it was made a child of takes its
// program along, and the resident program puts up a new display as for a killed one.
TEST_F(ResidentLockScreen, ALockScreenDestroyedWithAnotherProgramsWindowIsReplaced)
{
    Pull();
    ExpectEvent(kEventLock);
    ASSERT_TRUE(WaitFor([&] { return IsCovering(lockScreen); }));
    const HWND display = FindLockScreenWindow(lockScreen);
    COtherProgramWindow parent(false);
    ASSERT_TRUE(SetParent(display, parent.Get()));
    parent.Destroy();
    const DWORD replacement = WaitForLockScreen(lockScreen);
    ASSERT_NE(0u, replacement);
    EXPECT_TRUE(WaitFor([&] { return IsCovering(replacement) && HasCover(replacement); }));
    Insert();
    ExpectEvent(kEventUnlock);
}

// The watchdog's part is played here: the resident program is started again at once.
TEST_F(ResidentLockScreen, AKilledResidentProgramComesBackLockedWithANewDisplay)
{
    Pull();
    ExpectEvent(kEventLock);
    ASSERT_TRUE(WaitFor([&] { return IsCovering(lockScreen); }));
    // The exit box open as well: its modal loop must not hold the old display.
    PostMessageA(FindLockScreenWindow(lockScreen), WM_COMMAND, MAKEWPARAM(kExitButton, BN_CLICKED), 0);
    ASSERT_TRUE(WaitFor([&] { return !VisibleWindowsWith(lockScreen, kBoxIcon).empty(); }));
    ExpectResidentRestartReplacesTheDisplay();
}

// Plays another local program that takes the resident program's event pipe while it is
// free and forges what the lock-screen program would send: the hello, then an unlock
// request of kind 1 with the may-unlock value set. True when both were answered.
bool ForgeUnlockRequest(DWORD residentProcess, DWORD timeout)
{
    const std::string name = EventPipeName(InstanceIdOf(residentProcess));
    const DWORD start = GetTickCount();
    fw::unique_hfile pipe;
    while (!pipe) {
        pipe.reset(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!pipe && GetTickCount() - start > timeout)
            return false;
        if (!pipe)
            Sleep(5);
    }
    const auto transact = [&](std::vector<int32_t> request) {
        DWORD moved = 0;
        uint8_t reply[64] = {};
        return WriteFile(pipe.get(), request.data(), static_cast<DWORD>(request.size() * 4), &moved, nullptr) &&
               ReadFile(pipe.get(), reply, sizeof reply, &moved, nullptr) && moved >= 4;
    };
    return transact({PIPE_EVT_HELLO}) && transact({PIPE_EVT_UNLOCK_REQUEST, 1, 1, 0});
}

// The event pipe is free for a moment after the lock-screen program is killed: a request
// forged there opens nothing (no password was checked, no key came), and the display
// comes back on the next check.
TEST_F(ResidentLockScreen, AForgedUnlockRequestOnTheFreeEventPipeOpensNothing)
{
    ASSERT_NO_FATAL_FAILURE(LockAndKillTheLockScreen());
    const bool answered = ForgeUnlockRequest(resident.ProcessId(), 3000);
    const DWORD replacement = WaitForLockScreen(lockScreen);
    ASSERT_NE(0u, replacement);
    EXPECT_TRUE(WaitFor([&] { return IsCovering(replacement); })) << "forged request answered: " << answered;
    const auto early = events.Next(0);
    EXPECT_FALSE(early) << "event " << early->code << ", forged request answered: " << answered;
    EXPECT_EQ(1, ReadLockState());

    Insert();
    ExpectEvent(kEventUnlock);
}

// Another program that takes the command pipe's mutex and the pipe once the lock-screen
// program has gone would stand in for it and show nothing. Brontal talks only to the
// lock-screen program it launched: it sends the stand-in nothing and ends, and started
// again (as the watchdog does) it comes back locked with a new display.
TEST_F(ResidentLockScreen, AStandInForTheLockScreenIsSentNothing)
{
    ASSERT_TRUE(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetNamedPipeServerProcessId"))
        << "the platform under test names a pipe's server";
    ASSERT_NO_FATAL_FAILURE(LockAndKillTheLockScreen());
    StandInScreen standIn(InstanceIdOf(resident.ProcessId()));
    const auto thread = CServerThread::Start(standIn, 5000);
    ASSERT_TRUE(thread);
    EXPECT_TRUE(resident.WaitForExit(15000)) << "Brontal stayed with the stand-in";
    EXPECT_EQ(0, standIn.requests.load());
    KillLockScreens();  // any it launched last, which waits for the stand-in's mutex

    ASSERT_TRUE(resident.Start(kBrontal, &events));
    ExpectEvent(kEventLock);
    const DWORD replacement = WaitForLockScreen(lockScreen);
    ASSERT_NE(0u, replacement);
    EXPECT_TRUE(WaitFor([&] { return IsCovering(replacement); }));
    Insert();
    ExpectEvent(kEventUnlock);
}

// The simulated session for Brontal, its input on the display's desktop at the start.
class ResidentLockScreenSession : public ResidentLockScreen {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(display.empty());
        WriteSessionScenario(sessionPath, display + "\n0");
        SetEnvironmentVariableA("KV_SESSION_SCENARIO", sessionPath.c_str());
        ResidentLockScreen::SetUp();
    }
    void TearDown() override
    {
        ResidentLockScreen::TearDown();
        SetEnvironmentVariableA("KV_SESSION_SCENARIO", nullptr);
        DeleteFileA(sessionPath.c_str());
    }

    const std::string display = ThreadDesktopName();
    const std::string sessionPath = TempPath("resident-lockscreen-session-" + suffix + ".txt");
};

// The lock-screen program's display lives on the desktop that Brontal started it on: a
// switch of the input away from it while locked is switched back as on the other road.
TEST_F(ResidentLockScreenSession, AnInputDesktopSwitchedAwayWhileLockedIsSwitchedBack)
{
    Pull();
    ExpectEvent(kEventLock);
    ASSERT_TRUE(WaitFor([&] { return IsCovering(lockScreen); }));
    WriteSessionScenario(sessionPath, "Elsewhere\n0");
    EXPECT_TRUE(WaitFor([&] { return SessionScenarioDesktop(sessionPath) == display; }, kEventWait));
    Insert();
    ExpectEvent(kEventUnlock);
}

// The password alone unlocks; three wrong ones would raise the alarm.
class ResidentLockScreenPassword : public ResidentLockScreen {
protected:
    void Configure(CLockSetting& settings) override
    {
        settings.PasswordSetting.SetPassword(1, "secret");
        settings.PasswordSetting.PasswordType = 1;
        settings.AlarmSetting.UseAlarm = 1;
        settings.AlarmSetting.AlarmPasswordErrorCount = 3;
    }
};

TEST_F(ResidentLockScreenPassword, TheRightPasswordUnlocksAcrossBothPrograms)
{
    Pull();
    ExpectEvent(kEventLock);
    ASSERT_TRUE(WaitFor([&] { return IsCovering(lockScreen); }));
    const HWND dialog = OpenLockScreenPasswordDialog(lockScreen);
    ASSERT_TRUE(dialog);

    TypeLockScreenPassword(dialog, "wrong");
    ASSERT_TRUE(WaitFor([&] { return !VisibleWindowsWith(lockScreen, kBoxIcon).empty(); }));  // 3201
    PostMessageA(VisibleWindowsWith(lockScreen, kBoxIcon).front(), WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return VisibleWindowsWith(lockScreen, kBoxIcon).empty(); }));
    const auto early = events.Next(500);
    EXPECT_FALSE(early) << "event " << early->code;

    TypeLockScreenPassword(dialog, "secret");
    ExpectEvent(kEventUnlock);
    EXPECT_TRUE(WaitFor([&] { return IsHidden(lockScreen) && VisibleWindowsWith(lockScreen, kPasswordText).empty(); }));
}

TEST_F(ResidentLockScreenPassword, AKilledResidentProgramTakesTheOpenPasswordDialogAlong)
{
    Pull();
    ExpectEvent(kEventLock);
    ASSERT_TRUE(WaitFor([&] { return IsCovering(lockScreen); }));
    ASSERT_TRUE(OpenLockScreenPasswordDialog(lockScreen));
    ExpectResidentRestartReplacesTheDisplay();
}

// Key and password.
class ResidentLockScreenKeyAndPassword : public ResidentLockScreen {
protected:
    void Configure(CLockSetting& settings) override
    {
        settings.PasswordSetting.SetPassword(1, "secret");
        settings.PasswordSetting.PasswordType = 2;
    }
};

// A Ctrl+Shift+click that the lock-screen program handles after the key and password
// opened the lock (queued just before) opens no password dialog over the open PC, so the
// next pull locks again: an open dialog would take that pull for its own.
TEST_F(ResidentLockScreenKeyAndPassword, AClickHandledAfterTheUnlockOpensNothingAndAPullStillLocks)
{
    Pull();
    ExpectEvent(kEventLock);
    ASSERT_TRUE(WaitFor([&] { return IsCovering(lockScreen); }));
    Insert();  // the key is back: the password is asked for
    ASSERT_TRUE(WaitFor([&] { return !VisibleWindowsWith(lockScreen, kPasswordText).empty(); }));
    TypeLockScreenPassword(VisibleWindowsWith(lockScreen, kPasswordText).front(), "secret");
    ExpectEvent(kEventUnlock);
    ASSERT_TRUE(WaitFor([&] { return IsHidden(lockScreen) && VisibleWindowsWith(lockScreen, kPasswordText).empty(); }));

    PostMessageA(FindLockScreenWindow(lockScreen), WM_LBUTTONUP, MK_CONTROL | MK_SHIFT, MAKELPARAM(40, 40));
    EXPECT_FALSE(WaitFor([&] { return !VisibleWindowsWith(lockScreen, kPasswordText).empty(); }, 2000));
    Pull();
    ExpectEvent(kEventLock);
}

} // namespace
