#include "display/TopmostWindowList.h"

#include "framework/Window.h"

#include "ModalScript.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

// A visible top-level window that can run a callback when it is activated.
class TestWindow : public fw::CWindow {
public:
    explicit TestWindow(bool visible = true)
    {
        Create("KvTopmostTest", "", WS_POPUP | (visible ? WS_VISIBLE : 0));
        SetWindowPos(GetHwnd(), nullptr, 10, 10, 100, 80, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    std::function<void()> onActivate;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE && onActivate)
            onActivate();
        return CWindow::OnMessage(message, wParam, lParam);
    }
};

std::vector<HWND> Listed(CTopmostWindowList& list)
{
    std::vector<HWND> windows{reinterpret_cast<HWND>(1)};  // emptied first
    list.CopyTo(windows);
    return windows;
}

// The foreground lock time-out for the test's duration, put back afterwards.
class ForegroundTimeout {
public:
    ForegroundTimeout() { SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &m_saved, 0); }
    ~ForegroundTimeout() { Set(m_saved); }
    static void Set(DWORD value)
    {
        SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<void*>(static_cast<UINT_PTR>(value)), 0);
    }
    static DWORD Get()
    {
        DWORD value = 0;
        SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &value, 0);
        return value;
    }

private:
    DWORD m_saved = 0;
};

// Makes `from` the foreground window, runs `act` once and tells whether `expected` is the
// foreground window afterwards. Only the set-up is tried again: another program's window
// may take the foreground before it holds.
bool ForegroundAfter(HWND from, const std::function<void()>& act, HWND expected)
{
    bool ready = false;
    for (int attempt = 0; attempt < 5 && !ready; ++attempt) {
        SetForegroundWindow(from);
        ready = GetForegroundWindow() == from;
    }
    if (!ready) {
        ADD_FAILURE() << "the set-up could not make the starting window the foreground window";
        return false;
    }
    act();
    return GetForegroundWindow() == expected;
}

TEST(TopmostWindowList, AddsOnceRemovesListedAndCopiesInOrder)
{
    CTopmostWindowList list;
    TestWindow a, b;
    EXPECT_TRUE(Listed(list).empty());
    list.BringLastToTop(HWND_TOPMOST);  // nothing to raise

    EXPECT_TRUE(list.Add(a.GetHwnd()));
    EXPECT_TRUE(list.Add(b.GetHwnd()));
    EXPECT_FALSE(list.Add(a.GetHwnd()));
    EXPECT_EQ((std::vector<HWND>{a.GetHwnd(), b.GetHwnd()}), Listed(list));

    EXPECT_TRUE(list.Remove(a.GetHwnd()));
    EXPECT_FALSE(list.Remove(a.GetHwnd()));
    EXPECT_EQ(std::vector<HWND>{b.GetHwnd()}, Listed(list));
}

TEST(TopmostWindowList, ReRaiseDropsDeadWindowsAndForcesTheNewestLiveOne)
{
    ForegroundTimeout timeout;
    ForegroundTimeout::Set(54321);
    CTopmostWindowList list;
    TestWindow older, other;
    auto newest = std::make_unique<TestWindow>();
    list.Add(older.GetHwnd());
    list.Add(newest->GetHwnd());
    newest.reset();

    EXPECT_TRUE(ForegroundAfter(other.GetHwnd(), [&] { list.BringLastToTop(HWND_TOPMOST); }, older.GetHwnd()));
    EXPECT_TRUE(GetWindowLongA(older.GetHwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(std::vector<HWND>{older.GetHwnd()}, Listed(list));
    EXPECT_EQ(54321u, ForegroundTimeout::Get());  // restored after the forcing
}

TEST(TopmostWindowList, HiddenOrForegroundNewestStopsTheReRaise)
{
    CTopmostWindowList list;
    TestWindow older, other;
    TestWindow hidden(false);
    auto dead = std::make_unique<TestWindow>();
    list.Add(dead->GetHwnd());
    list.Add(older.GetHwnd());
    list.Add(hidden.GetHwnd());
    dead.reset();

    // Older windows are not looked at; the dead one further up stays.
    EXPECT_TRUE(ForegroundAfter(other.GetHwnd(), [&] { list.BringLastToTop(HWND_TOPMOST); }, other.GetHwnd()));
    EXPECT_EQ(3u, Listed(list).size());

    list.Remove(hidden.GetHwnd());
    list.Add(other.GetHwnd());
    bool activated = false;
    older.onActivate = [&] { activated = true; };
    // The newest is the foreground window already.
    EXPECT_TRUE(ForegroundAfter(other.GetHwnd(), [&] { list.BringLastToTop(HWND_TOPMOST); }, other.GetHwnd()));
    EXPECT_FALSE(activated);
}

// The forcing runs outside the list's lock: a window procedure that uses the list while
// it is being raised does not deadlock.
TEST(TopmostWindowList, WindowRaisedMayUseTheListMeanwhile)
{
    CTopmostWindowList list;
    TestWindow raised, other;
    std::vector<HWND> seen;
    raised.onActivate = [&] { list.CopyTo(seen); };
    list.Add(raised.GetHwnd());

    EXPECT_TRUE(ForegroundAfter(other.GetHwnd(), [&] { list.BringLastToTop(HWND_TOPMOST); }, raised.GetHwnd()));
    EXPECT_EQ(std::vector<HWND>{raised.GetHwnd()}, seen);
}

// A top-most popup, owned by `owner` when given, that counts the z-order changes it sees.
class StackedWindow : public fw::CWindow {
public:
    explicit StackedWindow(HWND owner = nullptr)
    {
        Create("KvStackedTest", "", WS_POPUP, 0, owner);
        SetWindowPos(GetHwnd(), HWND_TOPMOST, 20, 20, 100, 80, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    int zOrderChanges = 0;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_WINDOWPOSCHANGING && !(reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_NOZORDER))
            ++zOrderChanges;
        return CWindow::OnMessage(message, wParam, lParam);
    }
};

// The visible top-level windows from the top of the z-order, as far as `count`.
std::vector<HWND> TopWindows(std::size_t count)
{
    std::vector<HWND> windows;
    for (HWND window = GetTopWindow(nullptr); window && windows.size() < count; window = GetWindow(window, GW_HWNDNEXT))
        if (IsWindowVisible(window))
            windows.push_back(window);
    return windows;
}

struct SStackCase {
    const char* what;
    std::function<void(HWND display, HWND other)> act;
};

// Whatever another window did, the listed windows (newest on top) and then the covers come
// first in the z-order, each one top-most, a top-level window and without the styles that
// hide it or let clicks through; a hidden listed window is left out.
TEST(TopmostWindowList, KeepOnTopPutsTheListedWindowsThenTheCoversAboveEveryOther)
{
    const std::vector<SStackCase> cases = {
        {"other shown top-most without activation",
         [](HWND, HWND other) {
             SetWindowPos(other, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
         }},
        {"display not top-most", [](HWND display, HWND) {
             SetWindowPos(display, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
         }},
        {"display at the bottom", [](HWND display, HWND) {
             SetWindowPos(display, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
         }},
        {"display a child of a hidden window", [](HWND display, HWND other) {
             ShowWindow(other, SW_HIDE);
             SetParent(display, other);
         }},
        {"display a child window of another", [](HWND display, HWND other) {
             const LONG_PTR style = GetWindowLongPtrA(display, GWL_STYLE);
             SetWindowLongPtrA(display, GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_POPUP)) | WS_CHILD);
             SetParent(display, other);
         }},
        {"display layered and transparent", [](HWND display, HWND) {
             SetWindowLongPtrA(display, GWL_EXSTYLE,
                               GetWindowLongPtrA(display, GWL_EXSTYLE) | WS_EX_LAYERED | WS_EX_TRANSPARENT);
             SetLayeredWindowAttributes(display, 0, 0, LWA_ALPHA);
         }},
    };
    for (const SStackCase& c : cases) {
        CTopmostWindowList list;
        StackedWindow display, cover, other;
        StackedWindow box(display.GetHwnd());
        TestWindow waiting(false);
        list.Add(display.GetHwnd());
        list.Add(waiting.GetHwnd());
        list.Add(box.GetHwnd());
        list.KeepOnTop({cover.GetHwnd()});
        c.act(display.GetHwnd(), other.GetHwnd());
        ShowWindow(other.GetHwnd(), SW_SHOWNOACTIVATE);

        list.KeepOnTop({cover.GetHwnd()});
        const std::vector<HWND> expected = {box.GetHwnd(), display.GetHwnd(), cover.GetHwnd(), other.GetHwnd()};
        EXPECT_EQ(expected, TopWindows(expected.size())) << c.what;
        for (const HWND window : {box.GetHwnd(), display.GetHwnd(), cover.GetHwnd()}) {
            const LONG_PTR extended = GetWindowLongPtrA(window, GWL_EXSTYLE);
            EXPECT_TRUE(extended & WS_EX_TOPMOST) << c.what;
            EXPECT_FALSE(extended & (WS_EX_LAYERED | WS_EX_TRANSPARENT)) << c.what;
            EXPECT_EQ(GetDesktopWindow(), GetAncestor(window, GA_PARENT)) << c.what;
            EXPECT_FALSE(GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD) << c.what;
        }
        EXPECT_FALSE(IsWindowVisible(waiting.GetHwnd())) << c.what;

        // In order: nothing is moved again.
        display.zOrderChanges = box.zOrderChanges = cover.zOrderChanges = 0;
        list.KeepOnTop({cover.GetHwnd()});
        EXPECT_EQ(0, display.zOrderChanges + box.zOrderChanges + cover.zOrderChanges) << c.what;
    }
}

TEST(ForceForegroundWindow, IgnoresAHandleThatIsNoWindow)
{
    ForegroundTimeout timeout;
    ForegroundTimeout::Set(12345);
    TestWindow other;
    const HWND noWindow = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x7FF0));
    EXPECT_TRUE(ForegroundAfter(other.GetHwnd(), [&] { ForceForegroundWindow(noWindow, HWND_TOPMOST); },
                                other.GetHwnd()));
    EXPECT_EQ(12345u, ForegroundTimeout::Get());
}

} // namespace
