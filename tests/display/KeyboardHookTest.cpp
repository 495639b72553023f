#include "display/KeyboardHook.h"

#include "ModalScript.h"

#include <gtest/gtest.h>

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

// Without a stored hook the key is passed on, not swallowed.
TEST_F(KeyboardHookTest, NoStoredHookPassesTheKeyOn)
{
    EXPECT_EQ(0, CallNextLowLevelKeyboardHook(HC_ACTION, WM_KEYDOWN, 0));
    EXPECT_EQ(0, CallNextKeyboardHook(HC_ACTION, 'A', 0));
    EXPECT_EQ(0, KeyToLockProc(WM_KEYDOWN, 'A'));
}

} // namespace
