#include "display/KeyboardHook.h"

#include "ModalScript.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "framework/Handle.h"
#include "framework/Thread.h"

namespace {

LRESULT KeyToLockProc(WPARAM message, DWORD virtualKey)
{
    KBDLLHOOKSTRUCT key = {};
    key.vkCode = virtualKey;
    return LockLowLevelKeyboardProc(HC_ACTION, message, reinterpret_cast<LPARAM>(&key));
}

int ReleasesPosted(HWND window)
{
    int count = 0;
    MSG msg;
    while (PeekMessageA(&msg, window, UM_KEY_RELEASED, UM_KEY_RELEASED, PM_REMOVE))
        ++count;
    return count;
}

bool IsKeyDown(int virtualKey)
{
    return GetAsyncKeyState(virtualKey) < 0;
}

// Dispatches this thread's messages (the hook calls among them) until `done` holds, and
// counts the key releases posted meanwhile; false after two seconds.
template <typename Done>
bool PumpUntil(Done done, int& releases)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > 2000)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == UM_KEY_RELEASED)
                ++releases;
            else
                DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

// Types the key from another thread while this one handles its messages (the key
// releases come posted to its window); true once `done` holds.
template <typename Done>
bool TypeKeyUntil(WORD virtualKey, bool up, Done done, int& releases)
{
    std::thread typist([=] {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = virtualKey;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        SendInput(1, &input, sizeof input);
    });
    const bool held = PumpUntil(done, releases);
    typist.join();
    return held;
}

class KeyboardHookTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        SetKeyReleaseWindow(m_window);
    }
    void TearDown() override
    {
        CKeyboardHook().Remove();
        SetKeyReleaseWindow(nullptr);
        DestroyWindow(m_window);
    }
    HWND m_window = nullptr;
};

TEST_F(KeyboardHookTest, InstallingTwiceAndRemovingOnceLeavesNoHook)
{
    CKeyboardHook hook;
    EXPECT_TRUE(hook.Install(LockKeyboardProc, LockLowLevelKeyboardProc));
    EXPECT_TRUE(CKeyboardHook().Install(nullptr, nullptr));
    EXPECT_TRUE(CKeyboardHook::IsInstalled());
    EXPECT_TRUE(hook.Remove());
    EXPECT_FALSE(CKeyboardHook::IsInstalled());
    EXPECT_TRUE(hook.Remove());
}

TEST_F(KeyboardHookTest, LockProcedureSwallowsAndCountsEveryRelease)
{
    ASSERT_TRUE(CKeyboardHook().Install(LockKeyboardProc, LockLowLevelKeyboardProc));
    EXPECT_EQ(1, KeyToLockProc(WM_KEYDOWN, VK_LWIN));
    EXPECT_EQ(1, KeyToLockProc(WM_KEYDOWN, 'L'));
    EXPECT_EQ(1, KeyToLockProc(WM_KEYUP, 'L'));
    EXPECT_EQ(1, KeyToLockProc(WM_KEYUP, VK_LWIN));
    EXPECT_EQ(0, KeyToLockProc(WM_KEYDOWN, 'L'));
    EXPECT_EQ(1, KeyToLockProc(WM_SYSKEYDOWN, VK_F4));
    EXPECT_EQ(2, ReleasesPosted(m_window));
    EXPECT_EQ(1, LockKeyboardProc(HC_ACTION, VK_RWIN, 0));
}

// A Windows key still down when the lock opened must not keep "L" swallowed at the next
// lock, where a password may contain it.
TEST_F(KeyboardHookTest, EachInstallationStartsWithTheWindowsKeysUp)
{
    ASSERT_TRUE(CKeyboardHook().Install(LockKeyboardProc, LockLowLevelKeyboardProc));
    KeyToLockProc(WM_KEYDOWN, VK_RWIN);
    EXPECT_EQ(1, KeyToLockProc(WM_KEYDOWN, 'L'));
    CKeyboardHook().Remove();
    ASSERT_TRUE(CKeyboardHook().Install(LockKeyboardProc, LockLowLevelKeyboardProc));
    EXPECT_EQ(0, KeyToLockProc(WM_KEYDOWN, 'L'));
}

// A Windows key held while the lock came up: Win+L stays blocked, and its release reaches
// Windows, which would otherwise keep the key down (letters then become shell shortcuts).
TEST_F(KeyboardHookTest, AWindowsKeyHeldBeforeTheHookGoesUpInWindows)
{
    const auto isDown = [] { return IsKeyDown(VK_LWIN); };
    const auto isUp = [] { return !IsKeyDown(VK_LWIN); };
    int releases = 0;
    ASSERT_TRUE(TypeKeyUntil(VK_LWIN, false, isDown, releases));
    ASSERT_TRUE(CKeyboardHook().Install(LockKeyboardProc, LockLowLevelKeyboardProc));
    EXPECT_EQ(1, KeyToLockProc(WM_KEYDOWN, 'L'));
    KeyToLockProc(WM_KEYUP, 'L');
    ReleasesPosted(m_window);

    EXPECT_TRUE(TypeKeyUntil(VK_LWIN, true, isUp, releases));
    EXPECT_TRUE(PumpUntil([&] { return releases == 1; }, releases)) << "the lock's hook saw no release";
    CKeyboardHook().Remove();
    if (IsKeyDown(VK_LWIN))  // leave no key down for the tests that follow
        TypeKeyUntil(VK_LWIN, true, isUp, releases);
}

// Windows drops a low-level hook whose thread keeps a key waiting too long, and lets the
// key through meanwhile: the thread that installs the hooks may be busy (a device
// enumeration, a file lock) without that reaching the keys.
TEST_F(KeyboardHookTest, KeysAreSwallowedWhileTheInstallingThreadIsBusy)
{
    for (const WORD key : {WORD{VK_LWIN}, WORD{VK_MENU}}) {
        SCOPED_TRACE(key);
        ASSERT_TRUE(CKeyboardHook().Install(LockKeyboardProc, LockLowLevelKeyboardProc));
        bool downInWindows = true;
        std::thread typist([&] {
            INPUT input = {};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = key;
            SendInput(1, &input, sizeof input);
            downInWindows = IsKeyDown(key);
            input.ki.dwFlags = KEYEVENTF_KEYUP;
            SendInput(1, &input, sizeof input);
        });
        Sleep(3000);  // busy: no message of this thread is handled, longer than Windows waits
        typist.join();
        EXPECT_FALSE(downInWindows);
        int releases = 0;
        EXPECT_TRUE(PumpUntil([&] { return releases == 1; }, releases)) << "the key's release was not reported";
        CKeyboardHook().Remove();
        if (IsKeyDown(key))  // leave no key down for the tests that follow
            TypeKeyUntil(key, true, [&] { return !IsKeyDown(key); }, releases);
    }
}

std::atomic<int> g_pressesObserved{0};

LRESULT CALLBACK ObservePresses(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN))
        ++g_pressesObserved;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Another low-level hook, set once on a thread of its own: it counts the key presses
// that reach it.
class CObserverHook : public fw::CThread {
public:
    ~CObserverHook() override { Stop(); }

protected:
    bool InitInstance() override
    {
        m_hook.reset(SetWindowsHookExA(WH_KEYBOARD_LL, ObservePresses, GetModuleHandleA(nullptr), 0));
        return static_cast<bool>(m_hook);
    }
    void ExitInstance() override { m_hook.reset(); }

private:
    fw::unique_hhook m_hook;
};

// Windows 7 and later drop a low-level hook without notice once it answered too late
// (Wine never does), so the lock sets its hook afresh every second, the new one before the
// old goes. Windows calls the hook set last first: one set after the lock's hears each key
// until the lock's is set again ahead of it, and the key is swallowed all along.
TEST_F(KeyboardHookTest, TheHookIsSetAfreshAndSwallowsKeysThroughout)
{
    ASSERT_TRUE(CKeyboardHook().Install(LockKeyboardProc, LockLowLevelKeyboardProc));
    CObserverHook observer;
    ASSERT_TRUE(observer.Start());
    std::vector<bool> heard;
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = VK_MENU;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 3500;) {
        const int before = g_pressesObserved;
        input.ki.dwFlags = 0;
        SendInput(1, &input, sizeof input);
        EXPECT_FALSE(IsKeyDown(VK_MENU)) << "round " << heard.size();
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(1, &input, sizeof input);
        heard.push_back(g_pressesObserved != before);
        Sleep(50);
    }
    ASSERT_GE(heard.size(), 4u);
    EXPECT_TRUE(heard.front()) << "the later hook came first at the start";
    EXPECT_FALSE(heard.back()) << "the lock's hook was never set again";
    EXPECT_FALSE(heard[heard.size() - 2]);
}

// Without a stored hook the key is passed on, not swallowed.
TEST_F(KeyboardHookTest, NoStoredHookPassesTheKeyOn)
{
    EXPECT_EQ(0, CallNextLowLevelKeyboardHook(HC_ACTION, WM_KEYDOWN, 0));
    EXPECT_EQ(0, CallNextKeyboardHook(HC_ACTION, 'A', 0));
    EXPECT_EQ(0, KeyToLockProc(WM_KEYDOWN, 'A'));
}

} // namespace
