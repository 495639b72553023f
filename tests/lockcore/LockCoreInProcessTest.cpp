// The lock core before Windows 8: the display is the resident program's own window.
#include "lockcore/ResidentLockCore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "tests/lockcore/ChildProcess.h"
#include "tests/lockcore/CommandWindow.h"
#include "tests/lockcore/WineVersion.h"

namespace {

const auto* const kWindows7 = ::testing::AddGlobalTestEnvironment(new WineVersionEnvironment("win7", false));

using Lines = std::vector<std::string>;

TEST(LockScreenProxy, EveryOperationReachesTheWindowSentOrPosted)
{
    CommandWindow window;
    CLockScreenProxy proxy;
    proxy.SetTarget(window.Get(), UM_LOCK_COMMAND);
    window.Listen(proxy.Channel());
    const Corvantis::SUnlockRequest request{2, 5, 1};
    const Corvantis::SPasswordResult result{1, 0, 1};
    const std::string typed = "\x83\x70\x83\x58";
    struct Case {
        std::function<int()> call;
        const char* command;
        int returned;
    } cases[] = {
        {[&] { return proxy.ReloadPictures(); }, "sent 3 0", 1},
        {[&] { return proxy.SelectPicture(PICTURE_ALARM2); }, "sent 4 3", 1},
        {[&] { return proxy.ShowLockScreen(); }, "sent 1 0", 1},
        {[&] { return proxy.HideLockScreen(); }, "sent 2 0", 1},
        {[&] { return proxy.ShowMessage(); }, "sent 5 0", 1},
        {[&] { return proxy.HideMessage(); }, "sent 6 0", 1},
        {[&] { return proxy.HideControls(); }, "sent 7 0", 1},
        {[&] { return proxy.ShowControls(); }, "sent 8 0", 1},
        {[&] { return proxy.KeyEvent(); }, "posted 9 0", 1},
        {[&] { return proxy.MouseEvent(); }, "posted 10 0", 1},
        {[&] { return proxy.RefuseEndSession(); }, "posted 12 0", 1},
        {[&] { return proxy.ShowPasswordDialog(); }, "posted 13 0", 1},
        {[&] { return proxy.QueryMayUnlock(); }, "sent 14 0", 7},
        {[&] { return proxy.WatchKeyState(); }, "sent 15 0", 1},
        {[&] { return proxy.RequestUnlock(request); }, "sent 16 2,5,1", 1},
        {[&] { return proxy.CheckPassword(typed); }, "sent 17 [\x83\x70\x83\x58]", 1},
        {[&] { return proxy.SetPasswordResult(result); }, "sent 18 1,0,1", 1},
        {[&] { return proxy.SetPasswordDialogState(4); }, "sent 19 4", 1},
        {[&] { return proxy.Shutdown(); }, "posted 20 0", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        window.Clear();
        EXPECT_EQ(c.returned, c.call());
        EXPECT_EQ(Lines{c.command}, window.Commands());
    }
    window.Clear();
    EXPECT_EQ(0, proxy.SetSettings(CLockSetting()));  // settings never go to the window
    EXPECT_TRUE(window.Commands().empty());
}

// Another program may find the window and send or post it the command message: with
// the commands in the channel, such a message carries no command and no pointer.
TEST(LockScreenProxy, ForeignCommandMessagesCarryNothing)
{
    CommandWindow window;
    CLockScreenProxy proxy;
    proxy.SetTarget(window.Get(), UM_LOCK_COMMAND);
    window.Listen(proxy.Channel());
    EXPECT_EQ(0, SendMessageA(window.Get(), UM_LOCK_COMMAND, LOCKCMD_HIDE_LOCK_SCREEN, 0));
    PostMessageA(window.Get(), UM_LOCK_COMMAND, LOCKCMD_UNLOCK_REQUEST, 0x1234);
    EXPECT_TRUE(window.Commands().empty());

    // A command sent from another thread waits for the window and gets its result.
    std::atomic<int> returned{-1};
    std::thread sender([&] { returned = proxy.QueryMayUnlock(); });
    const DWORD start = GetTickCount();
    while (returned == -1 && GetTickCount() - start < 10000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        window.Commands();
    }
    sender.join();
    EXPECT_EQ(7, returned);
    EXPECT_EQ(Lines{"sent 14 0"}, window.Commands());
}

TEST(LockScreenProxy, FlagsFollowTheRequestsWhateverTheTransport)
{
    CLockScreenProxy proxy;  // no target window: every send fails
    proxy.ShowLockScreen();
    proxy.ShowMessage();
    proxy.HideControls();
    EXPECT_EQ(1, proxy.IsLockScreenShown());
    EXPECT_EQ(1, proxy.IsMessageShown());
    EXPECT_EQ(1, proxy.AreControlsHidden());

    CommandWindow window;
    proxy.SetTarget(window.Get(), UM_LOCK_COMMAND);
    window.Listen(proxy.Channel());
    CLockScreenLink unstarted;  // linked, but no client
    proxy.SetLink(&unstarted);
    EXPECT_EQ(0, proxy.HideLockScreen());
    EXPECT_EQ(0, proxy.IsLockScreenShown());
    EXPECT_EQ(0, proxy.ShowPasswordDialog());
    EXPECT_NE(0, proxy.RefuseEndSession());
    EXPECT_TRUE(window.Commands().empty());
    proxy.KeyEvent();  // the display's events always go to the window
    EXPECT_EQ(Lines{"posted 9 0"}, window.Commands());
}

TEST(ResidentLockCore, BeforeWindows8ConnectReplaysToTheWindowAndStartsNothing)
{
    CommandWindow window;
    CLockSetting settings;
    CResidentLockCore core;
    core.AttachSettings(&settings);
    Corvantis::SLockScreen* screen = core.GetController(window.Get(), UM_LOCK_COMMAND);
    ASSERT_TRUE(screen);
    window.Listen(core.Commands());
    EXPECT_EQ(&settings, core.GetSettings());
    const std::string log = TestProgramFolder() + "Marrowpane-" + std::to_string(GetCurrentProcessId()) + ".log";
    DeleteFileA(log.c_str());

    ASSERT_TRUE(core.Connect());
    EXPECT_FALSE(core.IsExternal());
    EXPECT_EQ((Lines{"sent 3 0", "sent 4 1", "sent 2 0", "sent 6 0", "sent 8 0"}), window.Commands());

    window.Clear();
    screen->ShowLockScreen();
    screen->ShowMessage();
    screen->HideControls();
    window.Clear();
    ASSERT_TRUE(core.Connect());
    // Hidden controls go with alarm picture 1; picture 2 is never replayed.
    EXPECT_EQ((Lines{"sent 3 0", "sent 4 1", "sent 1 0", "sent 5 0", "sent 4 2", "sent 7 0"}), window.Commands());
    EXPECT_TRUE(core.IsAlive());
    core.ReloadSettings();  // no lock-screen program to send to
    Sleep(300);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(log.c_str())) << "a lock-screen program was started";
    core.Stop();
}

} // namespace
