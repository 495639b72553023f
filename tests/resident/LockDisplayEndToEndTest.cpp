// The in-process lock display of the test build of Brontal end to end, under Wine on the
// Windows 7 road with one simulated monitor: its keyboard hooks as a hook of this process
// sees them, the password road for each password setting, the exit button's power-off
// between a stand-in watchdog and the power-off recorder, and the alarm pictures on the
// screen. The dialogs are driven through their own windows, from this process.
#include "common/CompanionLink.h"
#include "resident/sim/RecordingShutdownPlatform.h"
#include "tests/common/HelperProcess.h"
#include "tests/common/TempFolder.h"
#include "tests/resident/support/LockScreenProgram.h"
#include "tests/resident/support/SingleKeySession.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kEventLock = 1;
constexpr int kEventUnlock = 2;
constexpr int kEventChangeSetting = 3;
constexpr int kEventAlarm = 4;
constexpr DWORD kEventWait = 5000;
// Hiding a window on Xvfb takes about 2 s under Wine: the unlock event comes that late.
constexpr DWORD kUnlockWait = 3 * kEventWait;

constexpr int kExitButton = 1003;
constexpr int kPasswordText = 1012;
constexpr int kBoxText = 1005;
constexpr int kBoxIcon = 1011;  // only a lock message box has it
constexpr UINT kWrongPasswordText = 3201;
constexpr UINT kConfirmShutdownText = 3300;
constexpr UINT kEndSessionRefusedText = 3202;

const SSimulatedKey kKey{"key", CKeyDevice(0x0951, 0x1666, "KV0001A")};
const RECT kMonitor = {0, 0, 640, 512};
const char kOneMonitor[] = "monitor left=0 top=0 right=640 bottom=512 primary=1\n";
const char kPassword[] = "secret";

class LockDisplayEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteWholeFile(folder.File("display.txt"), kOneMonitor);
        SetEnvironmentVariableA("KV_DISPLAY_SCENARIO", folder.File("display.txt").c_str());
        SetEnvironmentVariableA("KV_SOUND_RECORD", folder.File("sound.txt").c_str());
        SetEnvironmentVariableA("KV_POWER_OFF_RECORD", folder.File("power-off.txt").c_str());
    }
    void TearDown() override
    {
        session.Resident().Kill();
        for (const char* variable : {"KV_DISPLAY_SCENARIO", "KV_SOUND_RECORD", "KV_POWER_OFF_RECORD",
                                     "KV_POWER_OFF_NOTICE", "KV_POWER_OFF_FAILS"})
            SetEnvironmentVariableA(variable, nullptr);
    }

    // The program with its key attached, no alarm unless `adjust` asks for one.
    void Start(const std::function<void(CLockSetting&)>& adjust = {})
    {
        ASSERT_TRUE(session.Start(kBrontal.c_str(), [&](CLockSetting& setting) {
            setting.AlarmSetting.UseAlarm = 0;
            if (adjust)
                adjust(setting);
        }));
    }
    // Locked by a pull (or lock-now with the key in), until the display shows.
    void Lock(bool now = false)
    {
        if (now)
            session.Resident().Post(UM_LOCK_NOW);
        else
            session.Pull();
        ExpectEvent(kEventLock);
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(Main()) != FALSE; }));
        // Event 1 goes out before the display is up: once Brontal's thread answers, the
        // lock that showed the window has also put its hooks and covers in place.
        ASSERT_TRUE(SendMessageTimeoutA(Main(), WM_NULL, 0, 0, SMTO_NORMAL, kEventWait, nullptr));
    }
    void ExpectEvent(int code, DWORD wait = kEventWait)
    {
        const auto event = session.Events().Next(wait);
        ASSERT_TRUE(event) << "no event " << code;
        EXPECT_EQ(code, event->code);
    }
    void ExpectNoEvent(DWORD wait = kQuietWait)
    {
        const auto event = session.Events().Next(wait);
        EXPECT_FALSE(event) << "unexpected event " << event->code;
    }

    HWND Main() { return session.Resident().Window(); }
    DWORD Process() { return session.Resident().ProcessId(); }
    // The open lock message box showing string `text`, waiting for it.
    HWND WaitForBox(UINT text)
    {
        const std::string wanted = ProgramString(kBrontal, text);
        HWND found = nullptr;
        WaitFor([&] {
            for (const HWND box : VisibleWindowsWith(Process(), kBoxIcon)) {
                char shown[512] = {};
                GetDlgItemTextA(box, kBoxText, shown, sizeof shown);
                if (!wanted.empty() && wanted == shown)
                    found = box;
            }
            return found != nullptr;
        });
        return found;
    }
    // Clicks OK of the box and waits until it is gone.
    bool Acknowledge(HWND box)
    {
        PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        return WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, kUnlockWait);
    }

    CTempFolder folder{"lock-display-e2e"};
    CWineProgramVersion residentVersion{"Brontal.exe", "win7"};
    const std::string kBrontal = WindowsPathOf(KV_SIMULATED_BRONTAL);
    CSingleKeySession session{kKey, "lock-display-e2e-usb-" + std::to_string(GetCurrentProcessId()) + ".txt"};
};

// --- The keyboard hooks, seen from a low-level hook of this process installed first.

struct SSeenKey {
    DWORD key;
    WPARAM message;
    bool operator==(const SSeenKey&) const = default;
};

void PrintTo(const SSeenKey& seen, std::ostream* out)
{
    *out << "{0x" << std::hex << seen.key << ", 0x" << seen.message << std::dec << "}";
}

INPUT Key(WORD key, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

// A low-level keyboard hook of this process, on a thread of its own with a small window
// there that takes the focus, so that the typed keys reach no other program. Hook
// procedures have no object: the one watcher is reached through a static.
class CKeyWatcher {
public:
    CKeyWatcher()
    {
        m_thread = std::thread([this] { Run(); });
        while (!m_ready)
            Sleep(10);
    }
    ~CKeyWatcher()
    {
        PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
    }
    CKeyWatcher(const CKeyWatcher&) = delete;
    CKeyWatcher& operator=(const CKeyWatcher&) = delete;

    bool IsHooked() const { return m_hook != nullptr; }

    // Types the keys, then 'K' as an end mark, and returns what the hook saw before the
    // mark; empty when the mark did not arrive in time.
    std::vector<SSeenKey> Type(std::vector<INPUT> keys)
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_seen.clear();
        }
        SetForegroundWindow(m_window);
        keys.push_back(Key(kEndMark, false));
        keys.push_back(Key(kEndMark, true));
        SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
        std::vector<SSeenKey> seen;
        WaitFor([&] {
            const std::lock_guard<std::mutex> lock(m_mutex);
            seen = m_seen;
            return !seen.empty() && seen.back().key == kEndMark && seen.back().message == WM_KEYUP;
        });
        if (seen.size() < 2 || seen.back().key != kEndMark)
            return {};
        seen.resize(seen.size() - 2);
        return seen;
    }

private:
    static constexpr WORD kEndMark = 'K';

    void Run()
    {
        m_threadId = GetCurrentThreadId();
        s_watcher = this;
        m_window = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 700, 600, 20, 20, nullptr, nullptr,
                                   nullptr, nullptr);
        m_hook = SetWindowsHookExA(WH_KEYBOARD_LL, Hook, GetModuleHandleA(nullptr), 0);
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue exists before the quit is posted
        m_ready = true;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (m_hook)
            UnhookWindowsHookEx(m_hook);
        DestroyWindow(m_window);
        s_watcher = nullptr;
    }
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HC_ACTION && s_watcher) {
            const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
            const std::lock_guard<std::mutex> lock(s_watcher->m_mutex);
            s_watcher->m_seen.push_back({key->vkCode, wParam});
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline CKeyWatcher* s_watcher = nullptr;
    std::thread m_thread;
    std::atomic<bool> m_ready{false};
    DWORD m_threadId = 0;
    HWND m_window = nullptr;
    HHOOK m_hook = nullptr;
    std::mutex m_mutex;
    std::vector<SSeenKey> m_seen;
};

// The Windows keys alone, Win+L, Alt+Tab, F10 (a system key by itself), then a plain L.
std::vector<INPUT> SystemKeysThenL()
{
    return {Key(VK_LWIN, false), Key(VK_LWIN, true), Key(VK_RWIN, false), Key(VK_RWIN, true),
            Key(VK_LWIN, false), Key('L', false),    Key('L', true),      Key(VK_LWIN, true),
            Key(VK_MENU, false), Key(VK_TAB, false), Key(VK_TAB, true),   Key(VK_MENU, true),
            Key(VK_F10, false),  Key(VK_F10, true),  Key('L', false),     Key('L', true)};
}

// Brontal's hook, installed at the lock and so called before the earlier one of this
// process, swallows the system keys: this process's hook never sees them. A plain L goes
// through; after the unlock every key does.
TEST_F(LockDisplayEndToEnd, WhileLockedAnEarlierHookSeesNoSystemKeyButAPlainL)
{
    CKeyWatcher watcher;
    ASSERT_TRUE(watcher.IsHooked());
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_FALSE(watcher.Type({Key('L', false), Key('L', true)}).empty());  // the hook works before the lock
    ASSERT_NO_FATAL_FAILURE(Lock());

    // Only Tab, L and the Alt release get through. The system never saw the swallowed Alt
    // press, so Tab comes as a plain key and the release of Alt as a plain key-up.
    const std::vector<SSeenKey> locked = watcher.Type(SystemKeysThenL());
    const std::vector<SSeenKey> passed = {
        {VK_TAB, WM_KEYDOWN}, {VK_TAB, WM_KEYUP}, {VK_MENU, WM_KEYUP}, {'L', WM_KEYDOWN}, {'L', WM_KEYUP}};
    EXPECT_EQ(passed, locked);

    session.Insert();
    ExpectEvent(kEventUnlock, kUnlockWait);
    // Every key, as typed; Alt's release after Tab is a plain key-up, as on Windows.
    const std::vector<SSeenKey> all = {
        {VK_LWIN, WM_KEYDOWN},   {VK_LWIN, WM_KEYUP},    {VK_RWIN, WM_KEYDOWN},   {VK_RWIN, WM_KEYUP},
        {VK_LWIN, WM_KEYDOWN},   {'L', WM_KEYDOWN},      {'L', WM_KEYUP},         {VK_LWIN, WM_KEYUP},
        {VK_MENU, WM_SYSKEYDOWN}, {VK_TAB, WM_SYSKEYDOWN}, {VK_TAB, WM_SYSKEYUP}, {VK_MENU, WM_KEYUP},
        {VK_F10, WM_SYSKEYDOWN}, {VK_F10, WM_SYSKEYUP},  {'L', WM_KEYDOWN},       {'L', WM_KEYUP}};
    EXPECT_EQ(all, watcher.Type(SystemKeysThenL()));
}

// A Windows key held while the lock comes up (at resume, say): Brontal's hook, once on,
// still blocks Win+L, and lets the key's release reach Windows, which saw the press; else
// Windows would keep the key down and turn letters into shell shortcuts over the lock.
TEST_F(LockDisplayEndToEnd, AWindowsKeyHeldWhileTheLockComesUpGoesUpInWindows)
{
    CKeyWatcher watcher;
    ASSERT_TRUE(watcher.IsHooked());
    ASSERT_NO_FATAL_FAILURE(Start());
    INPUT press = Key(VK_LWIN, false);
    SendInput(1, &press, sizeof press);
    ASSERT_NO_FATAL_FAILURE(Lock());
    // F10 is a system key: once it is swallowed, Brontal's hook is on.
    ASSERT_TRUE(WaitFor([&] { return watcher.Type({Key(VK_F10, false), Key(VK_F10, true)}).empty(); }));

    const std::vector<SSeenKey> passed = {{VK_LWIN, WM_KEYUP}};
    EXPECT_EQ(passed, watcher.Type({Key('L', false), Key('L', true), Key(VK_LWIN, true)}));
    EXPECT_FALSE(GetAsyncKeyState(VK_LWIN) < 0);
    session.Resident().Kill();
    if (GetAsyncKeyState(VK_LWIN) < 0)  // leave no key down for the tests that follow
        watcher.Type({Key(VK_LWIN, true)});
}

// At resume Brontal's main thread enumerates the USB devices, here past a device that keeps
// it waiting for seconds: the keys typed meanwhile still meet its hook. Windows lets a key
// pass a hook whose thread does not answer in time, and then drops that hook.
TEST_F(LockDisplayEndToEnd, KeysAreSwallowedWhileTheMainThreadWaitsOnTheDevices)
{
    CKeyWatcher watcher;
    ASSERT_TRUE(watcher.IsHooked());
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Lock());
    session.Machine().AddLine("slow open name=\\\\.\\HCD0 ms=8000");
    session.Resident().Post(WM_POWERBROADCAST, 7);  // PBT_APMRESUMESUSPEND
    ASSERT_TRUE(WaitFor([&] { return !SendMessageTimeoutA(Main(), WM_NULL, 0, 0, SMTO_NORMAL, 300, nullptr); }))
        << "Brontal's thread never waited";

    const std::vector<SSeenKey> passed = {{'A', WM_KEYDOWN}, {'A', WM_KEYUP}};
    EXPECT_EQ(passed, watcher.Type({Key(VK_LWIN, false), Key(VK_LWIN, true), Key('A', false), Key('A', true)}));
    session.Resident().Kill();
    if (GetAsyncKeyState(VK_LWIN) < 0)  // leave no key down for the tests that follow
        watcher.Type({Key(VK_LWIN, true)});
}

// --- The password road.

struct SPasswordCase {
    const char* name;
    int usePassword;
    int passwordType;
    bool lockNow;        // locked by lock-now with the key in (a key snapshot), else by a pull
    bool insertKey;      // the key comes back while locked; else Ctrl+Shift+click asks
    bool dialogOpens;
    bool rightUnlocks;   // the right password unlocks; else every password is refused
};

void PrintTo(const SPasswordCase& c, std::ostream* out)
{
    *out << c.name;
}

class PasswordDialogs : public LockDisplayEndToEnd {
protected:
    HWND WaitForPasswordDialog()
    {
        HWND dialog = nullptr;
        WaitFor([&] {
            const std::vector<HWND> shown = VisibleWindowsWith(Process(), kPasswordText);
            dialog = shown.empty() ? nullptr : shown.front();
            return dialog != nullptr;
        });
        return dialog;
    }
    static void Type(HWND dialog, const char* text)
    {
        SendMessageA(GetDlgItem(dialog, kPasswordText), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    }
    void ExpectRefused(HWND dialog, const char* text)
    {
        Type(dialog, text);
        const HWND box = WaitForBox(kWrongPasswordText);
        ASSERT_TRUE(box) << "no box " << kWrongPasswordText << " for \"" << text << "\"";
        EXPECT_TRUE(Acknowledge(box));
        EXPECT_TRUE(IsWindowVisible(dialog));  // open for another try
    }
};

class PasswordRoad : public PasswordDialogs, public ::testing::WithParamInterface<SPasswordCase> {};

TEST_P(PasswordRoad, RightPasswordUnlocksAndWrongOneShowsTheBox)
{
    const SPasswordCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(Start([&](CLockSetting& setting) {
        setting.PasswordSetting.SetPassword(c.usePassword, kPassword);
        setting.PasswordSetting.PasswordType = c.passwordType;
    }));
    ASSERT_NO_FATAL_FAILURE(Lock(c.lockNow));
    if (c.insertKey)
        session.Insert();
    else
        PostMessageA(Main(), WM_LBUTTONUP, MK_CONTROL | MK_SHIFT, MAKELPARAM(40, 40));

    if (!c.dialogOpens) {
        ExpectNoEvent();
        EXPECT_TRUE(VisibleWindowsWith(Process(), kPasswordText).empty());
        EXPECT_TRUE(IsWindowVisible(Main()));
        return;
    }
    const HWND dialog = WaitForPasswordDialog();
    ASSERT_TRUE(dialog) << "no password dialog";
    ExpectNoEvent();  // the key watch does not open the lock by itself
    EXPECT_TRUE(IsWindowVisible(dialog));

    ASSERT_NO_FATAL_FAILURE(ExpectRefused(dialog, "wrong"));
    ExpectNoEvent();
    if (!c.rightUnlocks) {
        ASSERT_NO_FATAL_FAILURE(ExpectRefused(dialog, kPassword));
        ExpectNoEvent();
        EXPECT_TRUE(IsWindowVisible(Main()));
        return;
    }
    Type(dialog, kPassword);
    ExpectEvent(kEventUnlock, kUnlockWait);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(Main()) && !IsWindow(dialog); }));
}

INSTANTIATE_TEST_SUITE_P(
    EachSetting, PasswordRoad,
    ::testing::Values(
        // Without a password the dialog opens, and refuses every password.
        SPasswordCase{"NoPassword", 0, 0, false, false, true, false},
        SPasswordCase{"PasswordAlone", 1, 1, false, false, true, true},
        // Key and password: without the key a click opens nothing; its return opens the
        // dialog, and the password then unlocks.
        SPasswordCase{"KeyAndPasswordWithoutKey", 1, 2, false, false, false, false},
        SPasswordCase{"KeyAndPasswordKeyBack", 1, 2, false, true, true, true},
        // Locked with the key in: the key watch must not take that key for a return.
        SPasswordCase{"KeySnapshot", 1, 1, true, false, true, true}),
    [](const ::testing::TestParamInfo<SPasswordCase>& info) { return std::string(info.param.name); });

// A WM_DESTROY that another program sends or posts to the password dialog ends nothing:
// the wrong-password box stays open over it; nor do the last messages sent after it made
// the dialog its window's child: the dialog comes back above its windows. It then takes
// the right password.
TEST_F(PasswordDialogs, AForgedDestroyLeavesTheDialogAndItsBox)
{
    ASSERT_NO_FATAL_FAILURE(Start([&](CLockSetting& setting) {
        setting.PasswordSetting.SetPassword(1, kPassword);
        setting.PasswordSetting.PasswordType = 1;
    }));
    ASSERT_NO_FATAL_FAILURE(Lock());
    PostMessageA(Main(), WM_LBUTTONUP, MK_CONTROL | MK_SHIFT, MAKELPARAM(40, 40));
    const HWND dialog = WaitForPasswordDialog();
    ASSERT_TRUE(dialog) << "no password dialog";
    Type(dialog, "wrong");
    const HWND box = WaitForBox(kWrongPasswordText);
    ASSERT_TRUE(box);
    SendMessageTimeoutA(dialog, WM_DESTROY, 0, 0, SMTO_NORMAL, 5000, nullptr);
    PostMessageA(dialog, WM_DESTROY, 0, 0);
    Sleep(300);  // the box's loop takes the post
    SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 5000, nullptr);
    EXPECT_TRUE(IsWindowVisible(box));
    EXPECT_TRUE(Acknowledge(box));
    EXPECT_TRUE(IsWindowVisible(dialog));

    const COtherProgramWindow other;
    COtherProgramWindow parent(false);
    SetParent(dialog, parent.Get());
    for (const UINT last : {UINT{WM_DESTROY}, UINT{WM_NCDESTROY}})
        SendMessageTimeoutA(dialog, last, 0, 0, SMTO_NORMAL, 5000, nullptr);
    other.TakeForeground();
    EXPECT_TRUE(WaitFor([&] { return IsHeldAsShown(dialog) && IsAbove(dialog, other.Get()); }, kEventWait));
    Type(dialog, kPassword);
    ExpectEvent(kEventUnlock, kUnlockWait);
}

// A Ctrl+Shift+click still queued when the key and password open the lock reaches the
// hidden display afterwards: it opens no password dialog over the open PC, so the next
// pull locks again (an open dialog would take that pull for its own).
TEST_F(PasswordDialogs, AClickHandledAfterTheUnlockOpensNothingAndAPullStillLocks)
{
    ASSERT_NO_FATAL_FAILURE(Start([&](CLockSetting& setting) {
        setting.PasswordSetting.SetPassword(1, kPassword);
        setting.PasswordSetting.PasswordType = 2;
    }));
    ASSERT_NO_FATAL_FAILURE(Lock());
    session.Insert();
    const HWND dialog = WaitForPasswordDialog();
    ASSERT_TRUE(dialog) << "no password dialog";
    Type(dialog, kPassword);
    ExpectEvent(kEventUnlock, kUnlockWait);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(Main()) && !IsWindow(dialog); }));

    PostMessageA(Main(), WM_LBUTTONUP, MK_CONTROL | MK_SHIFT, MAKELPARAM(40, 40));
    EXPECT_FALSE(WaitFor([&] { return !VisibleWindowsWith(Process(), kPasswordText).empty(); }, kQuietWait));
    session.Pull();
    ExpectEvent(kEventLock);
}

// Another program's top-most window never stays over the display: not one shown without
// taking the foreground, nor one that takes the foreground while the exit box, the password
// dialog or the refusal box is open (Task Manager set to stay on top): the box stays above
// the display, the display above it. Nor does another program's box that has the display's
// box as its owner.
TEST_F(PasswordDialogs, EveryWindowOfTheDisplayStaysAboveOtherProgramsWindows)
{
    ASSERT_NO_FATAL_FAILURE(Start([&](CLockSetting& setting) {
        setting.PasswordSetting.SetPassword(1, kPassword);
        setting.PasswordSetting.PasswordType = 1;
    }));
    ASSERT_NO_FATAL_FAILURE(Lock());
    const COtherProgramWindow other;
    EXPECT_TRUE(WaitFor([&] { return IsAbove(Main(), other.Get()); }, kEventWait)) << "shown without activation";

    const std::vector<std::pair<const char*, std::function<HWND()>>> boxes = {
        {"exit box",
         [&] {
             PostMessageA(GetDlgItem(Main(), kExitButton), BM_CLICK, 0, 0);
             return WaitForBox(kConfirmShutdownText);
         }},
        {"password dialog",
         [&] {
             PostMessageA(Main(), WM_LBUTTONUP, MK_CONTROL | MK_SHIFT, MAKELPARAM(40, 40));
             return WaitForPasswordDialog();
         }},
        {"refusal box",
         [&] {
             SendMessageTimeoutA(Main(), WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, kEventWait, nullptr);
             return WaitForBox(kEndSessionRefusedText);
         }},
    };
    for (const auto& [what, open] : boxes) {
        const HWND box = open();
        ASSERT_TRUE(box) << what;
        other.TakeForeground();
        EXPECT_TRUE(WaitFor([&] { return IsAbove(box, Main()) && IsAbove(Main(), other.Get()); }, kEventWait))
            << what;
        {
            const COtherProgramBox notice(box);  // as MessageBox(GetForegroundWindow(), ...) while the box is in front
            EXPECT_TRUE(WaitFor([&] { return IsLetGo(notice.Get(), {box, Main()}); }, kEventWait)) << what;
        }
        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, kUnlockWait)) << what;
    }
    ExpectNoEvent();  // neither a power-off nor an unlock
    EXPECT_EQ("", ReadWholeFile(folder.File("power-off.txt")));
}

// --- The exit button's power-off, between a stand-in watchdog and the recorder.

class ExitButton : public LockDisplayEndToEnd, public ::testing::WithParamInterface<bool> {};

// OK in box 3300 pauses the watchdog before the power-off: the stand-in watchdog (the
// companion helper as PERNWICK.EXE) gets the pause before the recorder's notice of
// ExitWindowsEx(0xC), both posted by Brontal's one thread; a failed power-off resumes it.
TEST_P(ExitButton, PausesTheWatchdogBeforeThePowerOffAndResumesItWhenThatFails)
{
    const bool fails = GetParam();
    testsupport::CTempFolder watchdogFolder("exit-button-watchdog");
    const std::string watchdogPath = watchdogFolder / kWatchdogExecutable;
    ASSERT_TRUE(CopyFileA(WindowsPathOf(KV_COMPANION_HELPER).c_str(), watchdogPath.c_str(), FALSE));
    const std::string log = watchdogFolder / "watchdog.log";
    testsupport::CHelperProcess watchdog(
        watchdogPath, testsupport::RecordArguments(log, {std::string("wd|") + kWatchdogMarker + "||0"}));
    ASSERT_TRUE(watchdog.WaitForWindows(1));
    SetEnvironmentVariableA("KV_POWER_OFF_NOTICE", "1");
    SetEnvironmentVariableA("KV_POWER_OFF_FAILS", fails ? "1" : nullptr);
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Lock());

    PostMessageA(GetDlgItem(Main(), kExitButton), BM_CLICK, 0, 0);
    const HWND box = WaitForBox(kConfirmShutdownText);
    ASSERT_TRUE(box) << "no box " << kConfirmShutdownText;
    EXPECT_TRUE(Acknowledge(box));
    const std::string record = folder.File("power-off.txt");
    EXPECT_TRUE(WaitFor([&] { return ReadWholeFile(record) == "ExitWindowsEx 0xC\n"; })) << ReadWholeFile(record);

    char notice[64];
    std::snprintf(notice, sizeof notice, "wd 0x%X %u 0", UM_POWER_OFF_RECORDED, EWX_POWEROFF | EWX_FORCE);
    std::vector<std::string> expected = {"wd 0x463 0 0", "wd 0x462 0 0", notice};  // start-up's resume first
    if (fails)
        expected.push_back("wd 0x463 0 0");
    EXPECT_TRUE(WaitFor([&] { return testsupport::ReadLines(log).size() >= expected.size(); }));
    ExpectNoEvent();  // still locked
    watchdog.End();
    EXPECT_EQ(expected, testsupport::ReadLines(log));
    EXPECT_TRUE(IsWindowVisible(Main()));  // a failed power-off leaves the PC locked
}

INSTANTIATE_TEST_SUITE_P(PowerOff, ExitButton, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Fails" : "Works");
                         });

// --- The alarm pictures on the screen.

// Three clicks raise the alarm: the two alarm pictures take turns over the whole display,
// its controls hidden, until AlarmPlaySec is over; then the lock picture and the controls
// come back.
TEST_F(LockDisplayEndToEnd, TheAlarmPicturesTakeTurnsThenTheLockPictureReturns)
{
    const COLORREF lock = RGB(0x20, 0x80, 0xC0), alarm1 = RGB(0xC0, 0x20, 0x20), alarm2 = RGB(0x20, 0xC0, 0x20);
    WriteSolidBitmap(folder.File("lock.bmp"), lock);
    WriteSolidBitmap(folder.File("alarm1.bmp"), alarm1);
    WriteSolidBitmap(folder.File("alarm2.bmp"), alarm2);
    ASSERT_NO_FATAL_FAILURE(Start([&](CLockSetting& setting) {
        setting.LockBmpFilePath = folder.File("lock.bmp");
        setting.AlarmSetting.UseAlarm = 1;
        setting.AlarmSetting.AlarmMouseCount = 3;
        setting.AlarmSetting.AlarmChangeBmp = 1;
        setting.AlarmSetting.AlarmPlaySec = 3;
        setting.AlarmSetting.AlarmBmpPath1 = folder.File("alarm1.bmp");
        setting.AlarmSetting.AlarmBmpPath2 = folder.File("alarm2.bmp");
    }));
    ASSERT_NO_FATAL_FAILURE(Lock());
    // Clear of the controls, and where the band with the exit button lies.
    const POINT open = {100, 100}, band = {kMonitor.right / 2, kMonitor.bottom - 10};
    const auto shows = [&](COLORREF colour, POINT at) { return ScreenPixel(at.x, at.y) == colour; };
    ASSERT_TRUE(WaitFor([&] { return shows(lock, open) && !shows(lock, band); }))
        << std::hex << ScreenPixel(open.x, open.y) << " " << ScreenPixel(band.x, band.y);

    for (int click = 0; click < 3; ++click)
        PostMessageA(Main(), WM_RBUTTONUP, 0, MAKELPARAM(40, 40));
    ExpectEvent(kEventAlarm);
    EXPECT_TRUE(WaitFor([&] { return shows(alarm1, open) && shows(alarm1, band); }, 3000))
        << std::hex << ScreenPixel(open.x, open.y) << " " << ScreenPixel(band.x, band.y);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(Main(), kExitButton)));
    EXPECT_TRUE(WaitFor([&] { return shows(alarm2, open) && shows(alarm2, band); }, 3000))
        << std::hex << ScreenPixel(open.x, open.y);

    EXPECT_TRUE(WaitFor([&] { return shows(lock, open) && !shows(lock, band); }, 8000))
        << std::hex << ScreenPixel(open.x, open.y) << " " << ScreenPixel(band.x, band.y);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(Main(), kExitButton)));
    EXPECT_TRUE(IsWindowVisible(Main()));
}

// Any program may post the settings reload: during the alarm it keeps the alarm picture
// (the controls stay hidden, so the lock picture would show a display without them).
TEST_F(LockDisplayEndToEnd, ASettingsReloadDuringTheAlarmKeepsTheAlarmPicture)
{
    const COLORREF lock = RGB(0x20, 0x80, 0xC0), alarm1 = RGB(0xC0, 0x20, 0x20);
    WriteSolidBitmap(folder.File("lock.bmp"), lock);
    WriteSolidBitmap(folder.File("alarm1.bmp"), alarm1);
    ASSERT_NO_FATAL_FAILURE(Start([&](CLockSetting& setting) {
        setting.LockBmpFilePath = folder.File("lock.bmp");
        setting.AlarmSetting.UseAlarm = 1;
        setting.AlarmSetting.AlarmMouseCount = 3;
        setting.AlarmSetting.AlarmChangeBmp = 0;  // alarm picture 1 stays for the whole alarm
        setting.AlarmSetting.AlarmPlaySec = 60;
        setting.AlarmSetting.AlarmBmpPath1 = folder.File("alarm1.bmp");
    }));
    ASSERT_NO_FATAL_FAILURE(Lock());
    const POINT open = {100, 100};
    const auto showsAlarm = [&] { return ScreenPixel(open.x, open.y) == alarm1; };
    for (int click = 0; click < 3; ++click)
        PostMessageA(Main(), WM_RBUTTONUP, 0, MAKELPARAM(40, 40));
    ExpectEvent(kEventAlarm);
    ASSERT_TRUE(WaitFor(showsAlarm, 3000)) << std::hex << ScreenPixel(open.x, open.y);

    session.Resident().Post(UM_RELOAD_SETTINGS);
    ExpectEvent(kEventChangeSetting);
    EXPECT_FALSE(WaitFor([&] { return !showsAlarm(); }, kQuietWait)) << std::hex << ScreenPixel(open.x, open.y);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(Main(), kExitButton)));
}

} // namespace
