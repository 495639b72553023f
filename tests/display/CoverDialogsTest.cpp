#include "display/CoverDialogs.h"
#include "display/TopmostWindowList.h"
#include "display/sim/SimDisplayMachine.h"

#include <gtest/gtest.h>

#include <string>

namespace {

RECT WindowRect(HWND window)
{
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

bool SameRect(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}

// Covers follow the monitors: one per further monitor, rebuilt when one is plugged in.
TEST(CoverDialogs, CoverEachFurtherMonitorAndFollowTheMonitorSet)
{
    display::CSimDisplayMachine machine;
    std::string error;
    ASSERT_TRUE(machine.Load("monitor right=640 bottom=512 primary=1\nmonitor left=640 right=1280 bottom=512\n", error));
    CCoverDialogs covers(machine);
    covers.Create("");
    ASSERT_EQ(1u, covers.Count());
    EXPECT_TRUE(SameRect({640, 0, 1280, 512}, WindowRect(covers.Window(0))));
    EXPECT_TRUE(IsWindowVisible(covers.Window(0)));
    EXPECT_TRUE(GetWindowLongA(covers.Window(0), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(covers.Check(""));

    ASSERT_TRUE(machine.Load("monitor right=640 bottom=512 primary=1\nmonitor left=640 right=1280 bottom=512\n"
                             "monitor top=512 right=640 bottom=1024\n",
                             error));
    EXPECT_TRUE(covers.Check(""));
    ASSERT_EQ(2u, covers.Count());
    EXPECT_TRUE(SameRect({0, 512, 640, 1024}, WindowRect(covers.Window(1))));

    CTopmostWindowList topmost;
    covers.Restack(topmost);  // nothing listed: the covers stay where they are
    covers.Destroy();
    EXPECT_EQ(0u, covers.Count());
}

// While it lives, no window can be created on this thread, as when the system runs out of
// window handles or desktop heap.
class CWindowCreationRefused {
public:
    CWindowCreationRefused() : m_hook(SetWindowsHookExA(WH_CBT, Refuse, nullptr, GetCurrentThreadId())) {}
    ~CWindowCreationRefused() { UnhookWindowsHookEx(m_hook); }
    explicit operator bool() const { return m_hook != nullptr; }

private:
    static LRESULT CALLBACK Refuse(int code, WPARAM wParam, LPARAM lParam)
    {
        return code == HCBT_CREATEWND ? 1 : CallNextHookEx(nullptr, code, wParam, lParam);
    }
    HHOOK m_hook;
};

// A cover that could not be created leaves its monitor open only until the next check.
TEST(CoverDialogs, ACoverThatCouldNotBeCreatedIsTriedAgainAtTheNextCheck)
{
    display::CSimDisplayMachine machine;
    std::string error;
    ASSERT_TRUE(machine.Load("monitor right=640 bottom=512 primary=1\nmonitor left=640 right=1280 bottom=512\n", error));
    CCoverDialogs covers(machine);
    {
        const CWindowCreationRefused refused;
        ASSERT_TRUE(refused);
        covers.Create("");
        EXPECT_EQ(0u, covers.Count());
        EXPECT_FALSE(covers.Check(""));  // still no window to be had
    }
    EXPECT_TRUE(covers.Check(""));
    ASSERT_EQ(1u, covers.Count());
    EXPECT_TRUE(SameRect({640, 0, 1280, 512}, WindowRect(covers.Window(0))));
    EXPECT_TRUE(IsWindowVisible(covers.Window(0)));
    EXPECT_FALSE(covers.Check(""));
}

} // namespace
