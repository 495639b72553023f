// The resident program end to end, under Wine: a test build of Brontal whose USB calls go
// to a simulated machine, a settings file that registers its keys, and a lock-event client
// in this (another) process.
#include "common/CompanionLink.h"
#include "common/PathUtil.h"
#include "common/ProcessFinder.h"
#include "common/SettingFileLock.h"
#include "framework/File.h"
#include "framework/Handle.h"
#include "lockcore/LockScreen.h"
#include "tests/resident/support/EventClient.h"
#include "tests/resident/support/LockScreenProgram.h"
#include "tests/resident/support/ResidentProcess.h"
#include "tests/resident/support/SessionScenario.h"
#include "tests/resident/support/SimulatedKeys.h"

#include <dbt.h>
#include <tlhelp32.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kEventLock = 1;
constexpr int kEventUnlock = 2;
constexpr int kEventChangeSetting = 3;
constexpr DWORD kEventWait = 5000;
// The idle lock's latest arrival after its idle time: within a few checks even on a busy
// machine (6.5 s was seen for 3 s while other builds ran).
constexpr DWORD kIdleLockLimit = 10000;

const SSimulatedKey kKeyA{"keyA", CKeyDevice(0x0951, 0x1666, "KV0001A")};
const SSimulatedKey kKeyB{"keyB", CKeyDevice(0x0781, 0x5567, "KV0002B")};

std::string TempPath(const std::string& name)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

// Replaced in one step: the program never reads a half-written scenario.
void WriteScenario(const std::string& path, const char* text)
{
    const std::string written = path + ".new";
    FILE* file = std::fopen(written.c_str(), "wb");
    std::fputs(text, file);
    std::fclose(file);
    MoveFileExA(written.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
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
        keys.reset();  // an earlier start's keys delete their scenario, which has the same name
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

    // Simulated monitors for the program started next; written again, they change while
    // it runs.
    void UseMonitors(const char* scenario)
    {
        WriteScenario(displayScenarioPath, scenario);
        SetEnvironmentVariableA("KV_DISPLAY_SCENARIO", displayScenarioPath.c_str());
    }
    // The simulated session for the program started next: the name of its input desktop
    // ("Winlogon" while it is locked), then on a line of its own its connect state (4 while
    // it is disconnected); written again, it changes while the program runs.
    void UseSession(const char* scenario)
    {
        WriteScenario(sessionScenarioPath, scenario);
        SetEnvironmentVariableA("KV_SESSION_SCENARIO", sessionScenarioPath.c_str());
    }
    void TearDown() override
    {
        SetEnvironmentVariableA("KV_DISPLAY_SCENARIO", nullptr);
        DeleteFileA(displayScenarioPath.c_str());
        SetEnvironmentVariableA("KV_SESSION_SCENARIO", nullptr);
        DeleteFileA(sessionScenarioPath.c_str());
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
    // Nothing was published for the messages Brontal got so far: it handles its messages
    // in order, so an event one of them caused would come before the reload's event 3.
    void ExpectNoEventBeforeAReload()
    {
        resident.Post(UM_RELOAD_SETTINGS);
        ExpectEvent(kEventChangeSetting);
    }

    // The lock display in Brontal's own window, whatever an earlier test left set.
    CWineProgramVersion residentVersion{"Brontal.exe", "win7"};
    const std::string kBrontal = WindowsPathOf(KV_SIMULATED_BRONTAL);
    const std::string scenarioPath = TempPath("resident-e2e-" + std::to_string(GetCurrentProcessId()) + ".txt");
    const std::string displayScenarioPath = TempPath("display-e2e-" + std::to_string(GetCurrentProcessId()) + ".txt");
    const std::string sessionScenarioPath = TempPath("session-e2e-" + std::to_string(GetCurrentProcessId()) + ".txt");
    CEventClient events;
    CLockSetting setting;
    std::unique_ptr<CSimulatedKeys> keys;
    CResidentProcess resident;
};

// A pull that never reaches the simulated machine would pass every "nothing happened"
// check: a scenario that cannot be written stops the test instead.
TEST(SimulatedKeys, AScenarioThatCannotBeWrittenFailsTheTest)
{
    EXPECT_THROW(CSimulatedKeys(TempPath("no-such-folder\\scenario.txt"), {kKeyA}), std::runtime_error);

    CSimulatedKeys keys(TempPath("held-scenario-" + std::to_string(GetCurrentProcessId()) + ".txt"), {kKeyA});
    const fw::unique_hfile held(
        CreateFileA(keys.Path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_NE(INVALID_HANDLE_VALUE, held.get());
    EXPECT_THROW(keys.Pull(kKeyA.tag), std::runtime_error);
}

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

// A person at the PC can end the program from the task manager: the watchdog starts it
// again, and a lock taken with the key in must still want that key pulled and inserted.
TEST_F(ResidentEndToEnd, KilledWhileLockedWithTheKeyInStartsLockedUntilItIsPulledAndInserted)
{
    StartWith({kKeyA}, {kKeyA});
    resident.Post(UM_LOCK_NOW);
    ExpectEvent(kEventLock);

    Restart();
    ExpectEvent(kEventLock);
    EXPECT_EQ(1, ReadLockState());
    resident.Post(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);  // the key is still in
    ExpectNoEvent();
    Pull(kKeyA);
    ExpectNoEvent();
    Insert(kKeyA);
    ExpectEvent(kEventUnlock, 3 * kEventWait);
    EXPECT_EQ(0, ReadLockState());

    Restart();  // unlocked cleanly: an ordinary start with the key in stays open
    ExpectNoEvent();
}

// Wine's ReplaceFile, failing on a file held open, leaves an empty "rf*.tmp" of its own
// beside it; the settings folder must stay removable for the installer's tests.
void RemoveFailedReplaceLeftovers()
{
    const std::string folder = CPathUtil::GetSettingBaseFolder() + "\\";
    WIN32_FIND_DATAA found;
    const fw::unique_hfind search(FindFirstFileA((folder + "rf*.tmp").c_str(), &found));
    if (!search)
        return;
    do
        DeleteFileA((folder + found.cFileName).c_str());
    while (FindNextFileA(search.get(), &found));
}

// Another program may hold the settings file for a while: the settings file's lock (the
// utility saving, or a program that hangs holding it) or the file itself (a reader, which
// denies writing). The lock display comes up at once all the same, and the lock state
// lands once the file is free, so a lock taken with the key in survives a restart.
TEST_F(ResidentEndToEnd, LockWhileTheSettingsFileIsBusyShowsAtOnceAndStoresTheStateLater)
{
    const struct {
        const char* what;
        std::function<std::shared_ptr<void>()> hold;
    } cases[] = {
        {"settings lock held", [] { return std::make_shared<CSettingFileLock>(SettingsFilePath()); }},
        {"file held by a reader",
         [] { return std::make_shared<fw::CFile>(SettingsFilePath(), fw::CFile::modeRead | fw::CFile::shareDenyWrite); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StartWith({kKeyA}, {kKeyA});
        std::shared_ptr<void> held = c.hold();
        const DWORD start = GetTickCount();
        resident.Post(UM_LOCK_NOW);
        ExpectEvent(kEventLock);
        EXPECT_TRUE(WaitFor([&] {
            RECT shown = {};
            return IsWindowVisible(resident.Window()) && GetWindowRect(resident.Window(), &shown) &&
                   shown.right - shown.left > 1;
        }));
        EXPECT_LT(GetTickCount() - start, 2500u) << "the display waited for the settings file";  // the wait is 3 s

        // Held past the settings lock's own wait, so the write is tried more than once.
        Sleep(CSettingFileLock::kTimeout + 1000);
        EXPECT_EQ(-1, ReadLockState());
        held.reset();
        EXPECT_TRUE(WaitFor([] { return ReadLockState() == 1; }));

        Restart();
        ExpectEvent(kEventLock);
        Pull(kKeyA);
        ExpectNoEvent();
        Insert(kKeyA);
        ExpectEvent(kEventUnlock, 3 * kEventWait);
        resident.Kill();
        RemoveFailedReplaceLeftovers();
    }
}

// Windows may end the program as soon as it has answered WM_ENDSESSION. A lock state still
// on its way (another program's save holds the settings file's lock) is stored before that
// answer, so a restart with the key in comes up locked.
TEST_F(ResidentEndToEnd, TheSessionsEndStoresALockStateOnItsWayBeforeItAnswers)
{
    StartWith({kKeyA}, {kKeyA});
    const fw::unique_handle held(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const fw::unique_handle ending(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    // A mutex is let go by the thread that holds it.
    std::thread otherSave([&] {
        const CSettingFileLock lock(SettingsFilePath());
        SetEvent(held.get());
        WaitForSingleObject(ending.get(), 30000);
        Sleep(1000);
    });
    WaitForSingleObject(held.get(), 10000);
    resident.Post(UM_LOCK_NOW);
    ExpectEvent(kEventLock);
    EXPECT_EQ(-1, ReadLockState());

    SetEvent(ending.get());
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutA(resident.Window(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 15000,
                                    &answer));
    resident.Kill();  // as Windows ends it
    otherSave.join();
    EXPECT_EQ(1, ReadLockState());

    ASSERT_TRUE(resident.Start(kBrontal, &events));
    ExpectEvent(kEventLock);
}

// Holds the settings file open the way another program's save or a reader could, so that
// no read gets through: no sharing at all, or writers only.
fw::unique_hfile HoldSettingsFile(DWORD share)
{
    return fw::unique_hfile(CreateFileA(SettingsFilePath().c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

const struct {
    const char* what;
    DWORD share;
} kUnreadableHolds[] = {{"held with no sharing", 0}, {"held denying reads", FILE_SHARE_WRITE}};

// Settings that are there but cannot be read are no first run: the program shows nothing
// (an administrator no wizard over them), does not end (anyone else's program would, and
// leave the PC open), and comes up as the file says once it can read it.
TEST_F(ResidentEndToEnd, AStartWhileTheSettingsFileCannotBeReadWaitsForItAndComesUpLocked)
{
    const struct {
        const char* what;
        std::string program;
        DWORD share;
    } cases[] = {
        {"an administrator, the file held with no sharing", kBrontal, kUnreadableHolds[0].share},
        {"a user, the file held denying reads", WindowsPathOf(KV_BRONTAL_AS_USER), kUnreadableHolds[1].share},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StartWith({kKeyA}, {kKeyA});
        Pull(kKeyA);
        ExpectEvent(kEventLock);
        ASSERT_TRUE(WaitFor([] { return ReadLockState() == 1; }));
        resident.Kill();
        keys->Insert(kKeyA.tag);  // the restart finds the key in, as after a kill from the task manager

        fw::unique_hfile held = HoldSettingsFile(c.share);
        ASSERT_NE(INVALID_HANDLE_VALUE, held.get());
        ASSERT_TRUE(resident.Launch(c.program));
        events.Follow(resident.ProcessId());
        EXPECT_FALSE(resident.WaitForExit(3000)) << "the program ended";
        bool shown = false;
        for (const HWND window : CProcessFinder().EnumProcessWindows(resident.ProcessId()))
            shown = shown || IsWindowVisible(window);
        EXPECT_FALSE(shown) << "a window (the first-run wizard) came up over the settings";

        held.reset();
        ASSERT_TRUE(resident.WaitForMainWindow(&events));
        ExpectEvent(kEventLock);
        Pull(kKeyA);
        ExpectNoEvent();
        Insert(kKeyA);
        ExpectEvent(kEventUnlock, 3 * kEventWait);
        EXPECT_TRUE(WaitFor([] { return ReadLockState() == 0; }));  // the next case starts unlocked
        resident.Kill();
    }
}

// A resume reloads the settings and reads the lock state: with the file unreadable the
// settings in force stay, and the lock state counts as locked, not as open.
TEST_F(ResidentEndToEnd, AResumeWhileTheSettingsFileCannotBeReadLocksAndKeepsTheSettings)
{
    for (const auto& hold : kUnreadableHolds) {
        SCOPED_TRACE(hold.what);
        StartWith({kKeyA}, {kKeyA});
        ExpectNoEvent();
        fw::unique_hfile held = HoldSettingsFile(hold.share);
        ASSERT_NE(INVALID_HANDLE_VALUE, held.get());
        resident.Post(WM_POWERBROADCAST, 7);  // PBT_APMRESUMESUSPEND
        ExpectEvent(kEventLock, 3 * kEventWait);
        resident.Post(UM_RELOAD_SETTINGS);  // cannot be read either
        ExpectEvent(kEventChangeSetting, 3 * kEventWait);
        held.reset();

        Pull(kKeyA);  // the lock came with the key in
        ExpectNoEvent();
        Insert(kKeyA);
        ExpectEvent(kEventUnlock, 3 * kEventWait);
        EXPECT_TRUE(WaitFor([] { return ReadLockState() == 0; }));
        resident.Kill();
        RemoveFailedReplaceLeftovers();
    }
}

TEST_F(ResidentEndToEnd, IdleTimeLocks)
{
    setting.LockNoInput = 1;
    setting.LockNoInputSec = 3;
    StartWith({kKeyA}, {kKeyA});
    const DWORD start = GetTickCount();  // the window is up: watching starts now
    ExpectEvent(kEventLock, 15000);
    const DWORD elapsed = GetTickCount() - start;
    // Never before the idle time; after it, within a few checks.
    EXPECT_GE(elapsed, 2500u);
    EXPECT_LE(elapsed, kIdleLockLimit);
}

TEST_F(ResidentEndToEnd, SuspendedLocksOnlyOnCommand)
{
    setting.LockNoInput = 1;
    setting.LockNoInputSec = 3;
    StartWith({kKeyA}, {kKeyA});
    // A suspension lasts only while the settings utility, which asks for it, runs.
    const fw::unique_handle utilityRuns(CreateMutexA(nullptr, FALSE, kUtilityInstanceMutex));
    resident.Post(UM_SUSPEND_LOCK, 0);
    Pull(kKeyA);
    ExpectNoEvent(kIdleLockLimit);  // neither the removal nor the idle time locks

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
    ExpectNoEventBeforeAReload();
}

struct WindowSearch {
    DWORD process;
    std::vector<RECT> found;
};

BOOL CALLBACK CollectTopmostWindow(HWND candidate, LPARAM data)
{
    auto* search = reinterpret_cast<WindowSearch*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(candidate, &process);
    RECT r = {};
    if (process == search->process && IsWindowVisible(candidate) && GetWindowRect(candidate, &r) &&
        (GetWindowLongA(candidate, GWL_EXSTYLE) & WS_EX_TOPMOST))
        search->found.push_back(r);
    return TRUE;
}

// The visible topmost windows of the process that owns `window`, by their rectangles.
std::vector<RECT> VisibleWindowsOf(HWND window)
{
    WindowSearch search{0, {}};
    GetWindowThreadProcessId(window, &search.process);
    EnumWindows(CollectTopmostWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool Covers(const std::vector<RECT>& windows, const RECT& monitor)
{
    for (const RECT& r : windows)
        if (EqualRect(&r, &monitor))
            return true;
    return false;
}

COLORREF ScreenPixel(int x, int y)
{
    const HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
}

// A 24-bit picture of one colour, removed at the end.
class PlainPicture {
public:
    PlainPicture(const std::string& path, BYTE red, BYTE green, BYTE blue) : m_path(path)
    {
        const int width = 64, height = 48, row = width * 3;
        BITMAPINFOHEADER info = {sizeof info, width, height, 1, 24, BI_RGB, static_cast<DWORD>(row * height), 0, 0, 0, 0};
        BITMAPFILEHEADER header = {};
        header.bfType = 0x4D42;
        header.bfOffBits = sizeof header + sizeof info;
        header.bfSize = header.bfOffBits + info.biSizeImage;
        std::vector<BYTE> pixels;
        for (int i = 0; i < width * height; ++i)
            pixels.insert(pixels.end(), {blue, green, red});
        FILE* out = std::fopen(m_path.c_str(), "wb");
        std::fwrite(&header, sizeof header, 1, out);
        std::fwrite(&info, sizeof info, 1, out);
        std::fwrite(pixels.data(), 1, pixels.size(), out);
        std::fclose(out);
    }
    ~PlainPicture() { DeleteFileA(m_path.c_str()); }

private:
    std::string m_path;
};

// Handles this thread's messages meanwhile: the lock display's raise may wait for the
// thread that owns the foreground window.
bool WaitFor(const std::function<bool()>& condition, DWORD timeout = kEventWait)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeout)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

const char kTwoMonitors[] = "monitor left=0 top=0 right=640 bottom=512 primary=1\n"
                            "monitor left=640 top=0 right=1280 bottom=512\n";
const char kThreeMonitors[] = "monitor left=0 top=0 right=640 bottom=512 primary=1\n"
                              "monitor left=640 top=0 right=1280 bottom=512\n"
                              "monitor left=0 top=512 right=640 bottom=1024\n";

// Three simulated monitors: the lock display covers the primary one, a cover dialog each
// further one, all topmost and showing the picture; the key's return takes it all away.
TEST_F(ResidentEndToEnd, PullCoversEveryMonitorAndInsertUncovers)
{
    UseMonitors(kThreeMonitors);
    setting.LockBmpFilePath = TempPath("lock-e2e-" + std::to_string(GetCurrentProcessId()) + ".bmp");
    const PlainPicture picture(setting.LockBmpFilePath, 0x20, 0x80, 0xC0);
    setting.LockMessage = "\x83\x8D\x83\x62\x83\x4E";
    StartWith({kKeyA}, {kKeyA});

    Pull(kKeyA);
    ExpectEvent(kEventLock);
    const RECT primary = {0, 0, 640, 512}, right = {640, 0, 1280, 512}, below = {0, 512, 640, 1024};
    EXPECT_TRUE(WaitFor([&] {
        const std::vector<RECT> shown = VisibleWindowsOf(resident.Window());
        return Covers(shown, primary) && Covers(shown, right) && Covers(shown, below);
    }));
    RECT main = {};
    GetWindowRect(resident.Window(), &main);
    EXPECT_TRUE(EqualRect(&main, &primary));
    const COLORREF plain = RGB(0x20, 0x80, 0xC0);
    EXPECT_TRUE(WaitFor([&] {
        return ScreenPixel(100, 100) == plain && ScreenPixel(960, 256) == plain && ScreenPixel(320, 768) == plain;
    })) << std::hex << ScreenPixel(100, 100) << " " << ScreenPixel(960, 256) << " " << ScreenPixel(320, 768);

    // The clock: "date time", 5 pixels in from the bottom right corner.
    const HWND clock = GetDlgItem(resident.Window(), 1015);
    RECT clockRect = {};
    GetWindowRect(clock, &clockRect);
    EXPECT_EQ(640 - 5, clockRect.right);
    EXPECT_EQ(512 - 5, clockRect.bottom);
    char clockText[128] = {};
    GetWindowTextA(clock, clockText, sizeof clockText);
    EXPECT_NE(nullptr, std::strchr(clockText, ' ')) << clockText;
    char message[64] = {};
    GetDlgItemTextA(resident.Window(), 1005, message, sizeof message);
    EXPECT_EQ(setting.LockMessage, message);

    // Hiding a window waits for Xvfb (no window manager) for about 2 s under Wine.
    Insert(kKeyA);
    ExpectEvent(kEventUnlock, 3 * kEventWait);
    EXPECT_TRUE(WaitFor([&] { return VisibleWindowsOf(resident.Window()).empty(); }));
    GetWindowRect(resident.Window(), &main);
    EXPECT_EQ(1, main.right - main.left);
    EXPECT_EQ(1, main.bottom - main.top);
}

// A monitor plugged in while locked gets its cover, and a topmost window that another
// program shows over the lock is covered again, each within about one cover check.
TEST_F(ResidentEndToEnd, CoverCheckFollowsNewMonitorsAndRaisesTheLockAgain)
{
    UseMonitors(kTwoMonitors);
    setting.LockBmpFilePath = TempPath("lock-e2e-" + std::to_string(GetCurrentProcessId()) + ".bmp");
    const PlainPicture picture(setting.LockBmpFilePath, 0x20, 0x80, 0xC0);
    StartWith({kKeyA}, {kKeyA});
    Pull(kKeyA);
    ExpectEvent(kEventLock);
    const RECT primary = {0, 0, 640, 512}, right = {640, 0, 1280, 512}, below = {0, 512, 640, 1024};
    ASSERT_TRUE(WaitFor([&] {
        const std::vector<RECT> shown = VisibleWindowsOf(resident.Window());
        return Covers(shown, primary) && Covers(shown, right);
    }));

    UseMonitors(kThreeMonitors);
    // Rebuilding the covers takes a cover check, plus about 2 s for each window that
    // Wine hides on Xvfb (it waits for an X server without a window manager).
    EXPECT_TRUE(WaitFor([&] { return Covers(VisibleWindowsOf(resident.Window()), below); }, 12000));

    // The lock display set the screen-saver flag itself: that must not stop the raise.
    const COLORREF plain = RGB(0x20, 0x80, 0xC0);
    ASSERT_TRUE(WaitFor([&] { return ScreenPixel(100, 100) == plain; }));
    const fw::unique_hwnd foreign(CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE | SS_WHITERECT,
                                                  50, 50, 150, 150, nullptr, nullptr, nullptr, nullptr));
    SetForegroundWindow(foreign.get());
    ASSERT_TRUE(WaitFor([&] { return ScreenPixel(100, 100) != plain; }));
    EXPECT_TRUE(WaitFor([&] { return ScreenPixel(100, 100) == plain; }, 3000));
}

// A message just posted to a window of another program is handled by now: its loop takes
// sent messages first, so an answered send alone does not say so; a moment after it does.
void HandledByNow(HWND window)
{
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, nullptr);
    Sleep(200);
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, nullptr);
}

// Lets the window's thread handle everything posted to it so far.
void Settle(HWND window)
{
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kEventWait, nullptr);
}

// Windows of another process are within reach: whatever a program does to the lock
// windows, they refuse it or the next cover check puts them back, and the key still
// opens the lock after a forged WM_DESTROY.
TEST_F(ResidentEndToEnd, NoOtherProgramPutsTheLockDisplayAway)
{
    constexpr int kPictureControl = 1001, kCoverPicture = 1015;
    UseMonitors(kTwoMonitors);
    StartWith({kKeyA}, {kKeyA});
    Pull(kKeyA);
    ExpectEvent(kEventLock);
    const HWND main = resident.Window();
    const RECT primary = {0, 0, 640, 512}, right = {640, 0, 1280, 512};
    const COtherProgramWindow other;
    COtherProgramWindow hiddenParent(false);
    // Another program's window that a lock window owns or is the parent of, when a row makes one.
    std::unique_ptr<COtherProgramWindow> guest;
    std::unique_ptr<COtherProgramBox> box;
    HWND held = nullptr;
    const auto newGuest = [&] {
        guest = std::make_unique<COtherProgramWindow>();
        return held = guest->Get();
    };
    HWND cover = nullptr;
    const auto inPlace = [&] {
        const std::vector<RECT> shown = VisibleWindowsOf(main);
        return !IsIconic(main) && !IsIconic(cover) && Covers(shown, primary) && Covers(shown, right) &&
               IsHeldAsShown(main) && IsHeldAsShown(cover) && IsAbove(main, other.Get()) &&
               IsAbove(cover, other.Get()) && IsLetGo(held, {main, cover});
    };
    ASSERT_TRUE(WaitFor([&] {
        const std::vector<HWND> covers = VisibleWindowsWith(resident.ProcessId(), kCoverPicture, kPictureControl);
        cover = covers.empty() ? nullptr : covers.front();
        return cover && inPlace();
    }));

    const std::vector<std::pair<const char*, std::function<void()>>> attacks = {
        {"WM_DESTROY sent", [&] { SendMessageTimeoutA(main, WM_DESTROY, 0, 0, SMTO_NORMAL, kEventWait, nullptr); }},
        {"SC_MINIMIZE", [&] { PostMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0); }},
        {"SC_CLOSE", [&] { PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"SC_MINIMIZE to the cover", [&] { PostMessageA(cover, WM_SYSCOMMAND, SC_MINIMIZE, 0); }},
        {"WM_CLOSE to the cover", [&] { PostMessageA(cover, WM_CLOSE, 0, 0); }},
        {"hidden", [&] { ShowWindow(main, SW_HIDE); }},
        {"minimised", [&] { ShowWindow(main, SW_MINIMIZE); }},
        {"moved and sized", [&] { SetWindowPos(main, nullptr, 200, 100, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE); }},
        {"cover hidden", [&] { ShowWindow(cover, SW_HIDE); }},
        {"cover minimised", [&] { ShowWindow(cover, SW_MINIMIZE); }},
        {"cover moved", [&] { SetWindowPos(cover, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE); }},
        {"parent hidden", [&] { SetParent(main, hiddenParent.Get()); }},
        {"not top-most", [&] { SetWindowPos(main, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }},
        {"at the bottom", [&] { SetWindowPos(main, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }},
        {"cover at the bottom", [&] { SetWindowPos(cover, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }},
        {"invisible to clicks", [&] { MakeInvisibleToClicks(main); }},
        {"no activation", [&] { AddExtendedStyle(main, WS_EX_NOACTIVATE); }},
        {"disabled", [&] { EnableWindow(main, FALSE); }},
        {"an empty region", [&] { ClipAway(main); }},
        {"an empty region on the cover", [&] { ClipAway(cover); }},
        // The last message of a window, forged: the objects must stay on their windows.
        {"WM_NCDESTROY sent, then hidden", [&] {
            SendMessageTimeoutA(main, WM_NCDESTROY, 0, 0, SMTO_NORMAL, kEventWait, nullptr);
            ShowWindow(main, SW_HIDE);
        }},
        {"WM_NCDESTROY posted, then hidden", [&] {
            PostMessageA(main, WM_NCDESTROY, 0, 0);
            HandledByNow(main);
            ShowWindow(main, SW_HIDE);
        }},
        {"WM_NCDESTROY posted to the cover, then the cover hidden", [&] {
            PostMessageA(cover, WM_NCDESTROY, 0, 0);
            HandledByNow(cover);
            ShowWindow(cover, SW_HIDE);
        }},
        // As a destruction with another program's window brings it: the windows live on.
        {"the cover made another program's child, then WM_NCDESTROY sent", [&] {
            SetParent(cover, hiddenParent.Get());
            SendMessageTimeoutA(cover, WM_NCDESTROY, 0, 0, SMTO_NORMAL, kEventWait, nullptr);
        }},
        {"made another program's child, then WM_NCDESTROY sent", [&] {
            SetParent(main, hiddenParent.Get());
            SendMessageTimeoutA(main, WM_NCDESTROY, 0, 0, SMTO_NORMAL, kEventWait, nullptr);
        }},
        // Windows keeps an owned window above its owner, and a child inside its parent.
        {"another program's box owned by the display", [&] {
            box = std::make_unique<COtherProgramBox>(GetForegroundWindow());
            held = box->Get();
        }},
        {"another program's window given the display as owner",
         [&] { SetWindowLongPtrA(newGuest(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(main)); }},
        {"another program's window given the cover as owner",
         [&] { SetWindowLongPtrA(newGuest(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(cover)); }},
        {"another program's window made a child of the display", [&] { SetParent(newGuest(), main); }},
        {"another program's window made a child of the cover", [&] { SetParent(newGuest(), cover); }},
    };
    for (const auto& [what, attack] : attacks) {
        SetForegroundWindow(main);  // the display has the foreground: nothing else raises it
        attack();
        Settle(main);
        // A cover check, plus about 2 s for a window that Wine hides on Xvfb.
        EXPECT_TRUE(WaitFor(inPlace, 8000)) << what;
    }
    box.reset();
    guest.reset();
    ExpectNoEventBeforeAReload();  // no attack unlocked it
    EXPECT_EQ(1, ReadLockState());

    Insert(kKeyA);
    ExpectEvent(kEventUnlock, 3 * kEventWait);
}

// Any program can register the screen saver's window class, and anyone can start the
// configured saver's program (its settings box): neither in the foreground is a screen
// saver that the lock stands aside for, and another program's top-most window goes below
// the lock display again. Only both together, the saver's own window, hold it down.
TEST_F(ResidentEndToEnd, AWindowOfTheScreenSaversClassDoesNotHoldTheLockDown)
{
    StartWith({kKeyA}, {kKeyA});
    Pull(kKeyA);
    ExpectEvent(kEventLock);
    const HWND main = resident.Window();
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }));
    const COtherProgramWindow other;
    EXPECT_EQ(ScreenSaverCasesGoneWrong(main, other.Get()), "");
}

// A lock display destroyed with another program's window that it was made a child of
// ends the program with the lock state kept, so that the watchdog starts it again locked.
TEST_F(ResidentEndToEnd, ALockDisplayDestroyedWithAnotherProgramsWindowComesBackLocked)
{
    StartWith({kKeyA}, {kKeyA});
    Pull(kKeyA);
    ExpectEvent(kEventLock);
    const HWND main = resident.Window();
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }));
    COtherProgramWindow parent(false);
    ASSERT_TRUE(SetParent(main, parent.Get()));
    parent.Destroy();
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(main); }, kEventWait));  // Wine destroys it after the parent
    EXPECT_TRUE(resident.WaitForExit(15000));
    EXPECT_EQ(1, ReadLockState());

    ASSERT_TRUE(resident.Start(kBrontal, &events));  // as the watchdog does
    ExpectEvent(kEventLock);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(resident.Window()) != FALSE; }));
}

// A cover destroyed with another program's window that it was made a child of is made
// again by the next cover check.
TEST_F(ResidentEndToEnd, ACoverDestroyedWithAnotherProgramsWindowIsMadeAgain)
{
    constexpr int kPictureControl = 1001, kCoverPicture = 1015;
    UseMonitors(kTwoMonitors);
    StartWith({kKeyA}, {kKeyA});
    Pull(kKeyA);
    ExpectEvent(kEventLock);
    const RECT right = {640, 0, 1280, 512};
    HWND cover = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        const std::vector<HWND> covers = VisibleWindowsWith(resident.ProcessId(), kCoverPicture, kPictureControl);
        cover = covers.empty() ? nullptr : covers.front();
        return cover && Covers(VisibleWindowsOf(resident.Window()), right);
    }));
    COtherProgramWindow parent(false);
    ASSERT_TRUE(SetParent(cover, parent.Get()));
    parent.Destroy();
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(cover); }));
    EXPECT_TRUE(WaitFor([&] { return Covers(VisibleWindowsOf(resident.Window()), right); }, 8000));
    Insert(kKeyA);
    ExpectEvent(kEventUnlock, 3 * kEventWait);
}

// Any program may post WM_QUIT to the lock window or its thread: while locked Brontal
// passes such a quit over and stays locked, and the key still opens it. Unlocked, the
// quit ends it as the uninstall's does, and the system keys are given back.
TEST_F(ResidentEndToEnd, AQuitFromAnotherProgramEndsNoLock)
{
    StartWith({kKeyA}, {kKeyA});
    Pull(kKeyA);
    ExpectEvent(kEventLock);
    const HWND main = resident.Window();
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }));
    PostMessageA(main, WM_QUIT, 0, 0);
    PostThreadMessageA(GetWindowThreadProcessId(main, nullptr), WM_QUIT, 0, 0);
    HandledByNow(main);
    EXPECT_FALSE(resident.WaitForExit(1000));
    ExpectNoEventBeforeAReload();
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(1, ReadLockState());

    Insert(kKeyA);
    ExpectEvent(kEventUnlock, 3 * kEventWait);
    PostMessageA(main, WM_QUIT, 0, 0);
    ASSERT_TRUE(resident.WaitForExit(15000));
    // Wine keeps the flag for the session; each process reads it once: this is this one's
    // first look.
    BOOL running = TRUE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    EXPECT_FALSE(running);
}

// The threads of a process, as any program of the session can list them.
std::vector<DWORD> ThreadsOf(DWORD processId)
{
    std::vector<DWORD> threads;
    const fw::unique_hfile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID == processId)
            threads.push_back(entry.th32ThreadID);
    }
    return threads;
}

// Thread messages from another program reach every thread of Brontal: a stray WM_APP + 1
// carries no event and frees nothing, a quit ends no worker. The event server still
// publishes, and the USB worker still sees the key.
TEST_F(ResidentEndToEnd, ThreadMessagesFromAnotherProgramStopNoWorker)
{
    StartWith({kKeyA}, {kKeyA});
    Pull(kKeyA);
    ExpectEvent(kEventLock);
    const HWND main = resident.Window();
    const DWORD mainThread = GetWindowThreadProcessId(main, nullptr);
    const std::vector<DWORD> threads = ThreadsOf(resident.ProcessId());
    ASSERT_GT(threads.size(), 2u);
    for (const DWORD thread : threads) {
        for (const WPARAM stray : {WPARAM{0x12345678}, WPARAM{1}, ~WPARAM{0}})
            PostThreadMessageA(thread, WM_APP + 1, stray, 42);
    }
    ExpectNoEventBeforeAReload();  // published by a living event server
    for (const DWORD thread : threads) {
        if (thread != mainThread)
            PostThreadMessageA(thread, WM_QUIT, 0, 0);
    }
    Sleep(500);
    EXPECT_FALSE(resident.WaitForExit(0));
    Insert(kKeyA);
    ExpectEvent(kEventUnlock, 3 * kEventWait);
    Pull(kKeyA);
    ExpectEvent(kEventLock);
}

// The USB worker may look again while the display comes up (Windows sends several notices
// for one device; here thread messages ask it to look, as another program's may): a key
// put back as soon as the lock event arrives was not attached when the lock was taken, and
// opens it.
TEST_F(ResidentEndToEnd, AKeyPutBackWhileTheDisplayComesUpUnlocks)
{
    StartWith({kKeyA}, {kKeyA});
    const std::vector<DWORD> threads = ThreadsOf(resident.ProcessId());
    Pull(kKeyA);
    ExpectEvent(kEventLock);
    keys->Insert(kKeyA.tag);
    for (int round = 0; round < 100; ++round) {
        for (const DWORD thread : threads)
            PostThreadMessageA(thread, WM_APP + 1, 0, 0);
        Sleep(10);
    }
    resident.Post(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);
    ExpectEvent(kEventUnlock);
}

// Suspend and resume while locked: watching starts again, but the PC is locked already,
// so the one display stays (no second set of covers) and no second lock event goes out.
TEST_F(ResidentEndToEnd, ResumeWhileLockedKeepsTheOneDisplayAndPublishesNothing)
{
    UseMonitors(kTwoMonitors);
    StartWith({kKeyA}, {kKeyA});
    Pull(kKeyA);
    ExpectEvent(kEventLock);
    const RECT primary = {0, 0, 640, 512}, right = {640, 0, 1280, 512};
    ASSERT_TRUE(WaitFor([&] {
        const std::vector<RECT> shown = VisibleWindowsOf(resident.Window());
        return Covers(shown, primary) && Covers(shown, right);
    }));

    for (int round = 0; round < 2; ++round) {
        resident.Post(WM_POWERBROADCAST, 0);  // PBT_APMQUERYSUSPEND
        resident.Post(WM_POWERBROADCAST, 7);  // PBT_APMRESUMESUSPEND
    }
    resident.Post(UM_RELOAD_SETTINGS);  // its event comes after the resumes' work
    ExpectEvent(kEventChangeSetting, 3 * kEventWait);
    const std::vector<RECT> shown = VisibleWindowsOf(resident.Window());
    EXPECT_EQ(2u, shown.size());
    EXPECT_TRUE(Covers(shown, primary) && Covers(shown, right));
    EXPECT_EQ(1, ReadLockState());

    Insert(kKeyA);
    ExpectEvent(kEventUnlock, 3 * kEventWait);
    EXPECT_TRUE(WaitFor([&] { return VisibleWindowsOf(resident.Window()).empty(); }, 3 * kEventWait));
}

// A suspend that another program refuses never happens, and no resume follows: the
// refusal itself gives the key watch back.
TEST_F(ResidentEndToEnd, ARefusedSuspendWatchesTheKeyAgain)
{
    StartWith({kKeyA}, {kKeyA});
    ExpectNoEvent();  // the start-up check is over
    resident.Post(WM_POWERBROADCAST, 0);  // PBT_APMQUERYSUSPEND
    ExpectNoEventBeforeAReload();
    Pull(kKeyA);
    ExpectNoEvent();  // not watching while the suspend may come

    resident.Post(WM_POWERBROADCAST, 2);  // PBT_APMQUERYSUSPENDFAILED
    ExpectEvent(kEventLock);
}

// No word after the query but a suspend notice, which any program can post, and no sleep
// or resume after it: watching goes on once the wait for the suspend is over, a minute
// after the first query, however often it comes again.
TEST_F(ResidentEndToEnd, AQueriedSuspendThatNeverComesWatchesTheKeyAgainAfterAMinute)
{
    StartWith({kKeyA}, {kKeyA});
    ExpectNoEvent();  // the start-up check is over
    const DWORD queried = GetTickCount();
    resident.Post(WM_POWERBROADCAST, 0);  // PBT_APMQUERYSUSPEND
    resident.Post(WM_POWERBROADCAST, 4);  // PBT_APMSUSPEND
    ExpectNoEventBeforeAReload();
    Pull(kKeyA);
    // Queried again meanwhile, as any program can: the minute still runs from the first.
    ExpectNoEvent(30000);
    resident.Post(WM_POWERBROADCAST, 0);
    ExpectEvent(kEventLock, 75000 - (GetTickCount() - queried));
    EXPECT_GE(GetTickCount() - queried, 59000u);
}

constexpr UINT kSessionChange = 0x02B1;  // WM_WTSSESSION_CHANGE
constexpr WPARAM kSessionConsoleConnect = 1, kSessionConsoleDisconnect = 2, kSessionRemoteConnect = 3,
                 kSessionRemoteDisconnect = 4, kSessionLock = 7, kSessionUnlock = 8;

// Any program can post a session lock notice: with no lock behind it (Wine's input desktop
// is the Default one), the key watch goes on.
TEST_F(ResidentEndToEnd, ASessionLockNoticeWithNoLockBehindItLeavesTheKeyWatched)
{
    StartWith({kKeyA}, {kKeyA});
    ExpectNoEvent();  // the start-up check is over
    resident.Post(kSessionChange, kSessionLock);
    ExpectNoEventBeforeAReload();
    Pull(kKeyA);
    ExpectEvent(kEventLock);
}

// The same for a disconnect notice: Wine's session is not disconnected.
TEST_F(ResidentEndToEnd, ASessionDisconnectNoticeWithNoDisconnectBehindItLeavesTheKeyWatched)
{
    StartWith({kKeyA}, {kKeyA});
    ExpectNoEvent();  // the start-up check is over
    for (const WPARAM notice : {kSessionConsoleDisconnect, kSessionRemoteDisconnect}) {
        SCOPED_TRACE(notice);
        resident.Post(kSessionChange, notice);
        ExpectNoEventBeforeAReload();
        Pull(kKeyA);
        ExpectEvent(kEventLock);
        Insert(kKeyA);
        ExpectEvent(kEventUnlock);
    }
}

// A real session lock or disconnect holds the key watch off while it lasts, looked at again
// and again; its end gives the watch back, with its notice or without.
TEST_F(ResidentEndToEnd, ARealSessionLockOrDisconnectHoldsTheKeyWatchOffWhileItLasts)
{
    struct Away {
        const char* session;  // the simulated session meanwhile
        WPARAM notice, returnNotice;
    };
    const Away cases[] = {
        {"Winlogon", kSessionLock, kSessionUnlock},
        {"Default\n4", kSessionConsoleDisconnect, kSessionConsoleConnect},
        {"Default\n4", kSessionRemoteDisconnect, kSessionRemoteConnect},
    };
    UseSession("Default\n0");
    StartWith({kKeyA}, {kKeyA});
    ExpectNoEvent();  // the start-up check is over
    for (const Away& away : cases) {
        for (const bool returnNotice : {true, false}) {
            SCOPED_TRACE(std::to_string(away.notice) + (returnNotice ? ", return notice" : ", no return notice"));
            UseSession(away.session);
            resident.Post(kSessionChange, away.notice);
            ExpectNoEventBeforeAReload();
            Pull(kKeyA);
            ExpectNoEvent();  // a few checks found the session away

            UseSession("Default\n0");
            if (returnNotice)
                resident.Post(kSessionChange, away.returnNotice);
            ExpectEvent(kEventLock);
            Insert(kKeyA);
            ExpectEvent(kEventUnlock);
        }
    }
}

// A program that switches the input to a desktop of its own takes the person at the PC away
// from the lock display: while locked, Brontal switches the input back to the display's
// desktop, again each time; unlocked, it leaves the input where it is. The simulated
// Brontal switches the scenario's input desktop.
TEST_F(ResidentEndToEnd, AnInputDesktopSwitchedAwayWhileLockedIsSwitchedBack)
{
    const std::string display = ThreadDesktopName();
    ASSERT_FALSE(display.empty());
    UseSession("Elsewhere\n0");
    StartWith({kKeyA}, {kKeyA});
    ExpectNoEvent();  // a few checks, unlocked
    EXPECT_EQ("Elsewhere", SessionScenarioDesktop(sessionScenarioPath));

    Pull(kKeyA);
    ExpectEvent(kEventLock);
    EXPECT_TRUE(WaitFor([&] { return SessionScenarioDesktop(sessionScenarioPath) == display; }, kEventWait));
    WriteSessionScenario(sessionScenarioPath, "Another\n0");  // the program reads it meanwhile
    EXPECT_TRUE(WaitFor([&] { return SessionScenarioDesktop(sessionScenarioPath) == display; }, kEventWait));

    Insert(kKeyA);
    ExpectEvent(kEventUnlock);
    UseSession("Elsewhere\n0");
    ExpectNoEvent();
    EXPECT_EQ("Elsewhere", SessionScenarioDesktop(sessionScenarioPath));
}

struct TextSearch {
    const std::string* wanted;
    bool found;
};

BOOL CALLBACK FindChildText(HWND child, LPARAM data)
{
    auto* search = reinterpret_cast<TextSearch*>(data);
    char text[512] = {};
    GetWindowTextA(child, text, sizeof text);
    search->found = search->found || *search->wanted == text;
    return !search->found;
}

struct BoxSearch {
    DWORD process;
    HWND mainWindow;
    HWND found;
};

BOOL CALLBACK FindOtherVisibleWindow(HWND candidate, LPARAM data)
{
    auto* search = reinterpret_cast<BoxSearch*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(candidate, &process);
    if (process == search->process && candidate != search->mainWindow && IsWindowVisible(candidate))
        search->found = candidate;
    return search->found == nullptr;
}

// A visible top-level window of the process that owns `window`, other than that one.
HWND OtherVisibleWindowOf(HWND window)
{
    BoxSearch search{0, window, nullptr};
    GetWindowThreadProcessId(window, &search.process);
    EnumWindows(FindOtherVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

LRESULT SendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool* answered)
{
    DWORD_PTR answer = 0;
    *answered = SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kEventWait, &answer) != 0;
    return static_cast<LRESULT>(answer);
}

// While locked, Windows' end-session query is refused with box 3202, and lock commands that
// another program sends, with no argument or a garbage pointer, neither hide the lock nor
// harm the program; unlocked, the query is agreed to and no box shows.
TEST_F(ResidentEndToEnd, WhileLockedTheSessionEndIsRefusedAndForeignCommandsDoNothing)
{
    StartWith({kKeyA}, {kKeyA});
    Pull(kKeyA);
    ExpectEvent(kEventLock);
    const HWND main = resident.Window();
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }));

    bool answered = false;
    for (const auto& [code, argument] : std::vector<std::pair<WPARAM, LPARAM>>{
             {2, 0}, {16, 0}, {17, 0}, {18, 0}, {16, 0x1234}, {17, 0x1234}, {18, 0x1234}, {19, 1}, {20, 0}}) {
        SendWithin(main, UM_LOCK_COMMAND, code, argument, &answered);
        EXPECT_TRUE(answered) << "code " << code;
        PostMessageA(main, UM_LOCK_COMMAND, code, argument);
    }
    ExpectNoEventBeforeAReload();
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_FALSE(OtherVisibleWindowOf(main));  // no password dialog, no exit box
    EXPECT_EQ(1, ReadLockState());

    EXPECT_EQ(0, SendWithin(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, &answered));
    EXPECT_TRUE(answered);
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = OtherVisibleWindowOf(main)) != nullptr; }));
    const std::string refusal = ProgramString(kBrontal, 3202);
    ASSERT_FALSE(refusal.empty());
    TextSearch search{&refusal, false};
    EnumChildWindows(box, FindChildText, reinterpret_cast<LPARAM>(&search));
    EXPECT_TRUE(search.found) << "box 3202 not shown";
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 3 * kEventWait));

    Insert(kKeyA);
    ExpectEvent(kEventUnlock, 3 * kEventWait);
    EXPECT_EQ(1, SendWithin(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, &answered));
    EXPECT_TRUE(answered);
    ExpectNoEventBeforeAReload();
    EXPECT_FALSE(OtherVisibleWindowOf(main));
}

} // namespace
