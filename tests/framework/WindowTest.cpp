#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

#include "framework/SubclassWnd.h"
#include "framework/Window.h"

#include "ForeignMessages.h"

namespace {

constexpr char kClass[] = "KvWindowTest";
constexpr UINT kThrow = WM_APP + 1;
constexpr UINT kAnswer = WM_APP + 2;

// Records the messages it sees with the window it was bound to at the time.
class CProbeWindow : public fw::CWindow {
public:
    std::vector<UINT> seen;
    HWND boundAtCreate = nullptr;
    bool failCreate = false;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        seen.push_back(message);
        switch (message) {
        case WM_CREATE:
            boundAtCreate = GetHwnd();
            if (failCreate)
                throw std::runtime_error("refused");
            break;
        case kThrow: throw std::runtime_error("handler failed");
        case kAnswer: return 42 + static_cast<LRESULT>(wParam);
        }
        return DefaultProc(message, wParam, lParam);
    }
};

bool Saw(const CProbeWindow& window, UINT message)
{
    for (const UINT seen : window.seen) {
        if (seen == message)
            return true;
    }
    return false;
}

TEST(Window, BindsTheObjectFromCreationOnAndRoutesMessagesToIt)
{
    CProbeWindow window;
    ASSERT_TRUE(window.Create(kClass, "probe", WS_OVERLAPPEDWINDOW));
    const HWND hwnd = window.GetHwnd();
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ(hwnd, window.boundAtCreate);
    ASSERT_FALSE(window.seen.empty());
    EXPECT_EQ(static_cast<UINT>(WM_NCCREATE), window.seen.front());
    EXPECT_EQ(45, SendMessageA(hwnd, kAnswer, 3, 0));
    char title[32] = {};
    GetWindowTextA(hwnd, title, sizeof title); // unhandled messages reach DefWindowProc
    EXPECT_STREQ("probe", title);
}

TEST(Window, DestroyingUnbindsAtTheLastMessage)
{
    CProbeWindow window;
    ASSERT_TRUE(window.Create(kClass, "probe", WS_OVERLAPPEDWINDOW));
    const HWND hwnd = window.GetHwnd();
    window.Destroy();
    EXPECT_EQ(nullptr, window.GetHwnd());
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(static_cast<UINT>(WM_NCDESTROY), window.seen.back());
    EXPECT_TRUE(Saw(window, WM_DESTROY));
}

TEST(Window, DestructorDestroysALiveWindow)
{
    HWND hwnd = nullptr;
    {
        CProbeWindow window;
        ASSERT_TRUE(window.Create(kClass, "probe", WS_OVERLAPPEDWINDOW));
        hwnd = window.GetHwnd();
    }
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(Window, ExceptionEndsAtTheMessageAndTheWindowLivesOn)
{
    CProbeWindow window;
    ASSERT_TRUE(window.Create(kClass, "probe", WS_OVERLAPPEDWINDOW));
    EXPECT_EQ(0, SendMessageA(window.GetHwnd(), kThrow, 0, 0));
    EXPECT_TRUE(IsWindow(window.GetHwnd()));
    EXPECT_EQ(42, SendMessageA(window.GetHwnd(), kAnswer, 0, 0));
}

TEST(Window, ExceptionDuringCreationFailsTheCreation)
{
    CProbeWindow window;
    window.failCreate = true;
    EXPECT_FALSE(window.Create(kClass, "probe", WS_OVERLAPPEDWINDOW));
    EXPECT_EQ(nullptr, window.GetHwnd());
    // The object is free for another try.
    window.failCreate = false;
    EXPECT_TRUE(window.Create(kClass, "again", WS_OVERLAPPEDWINDOW));
}

TEST(Window, TwoObjectsOfOneClassKeepTheirOwnWindows)
{
    CProbeWindow first, second;
    ASSERT_TRUE(first.Create(kClass, "first", WS_OVERLAPPEDWINDOW));
    ASSERT_TRUE(second.Create(kClass, "second", WS_OVERLAPPEDWINDOW));
    const std::size_t firstSeen = first.seen.size();
    SendMessageA(second.GetHwnd(), kAnswer, 0, 0);
    EXPECT_EQ(firstSeen, first.seen.size());
    EXPECT_EQ(static_cast<UINT>(kAnswer), second.seen.back());
    EXPECT_FALSE(first.Create(kClass, "twice", WS_OVERLAPPEDWINDOW)); // already has one
}

TEST(Window, ClassOfAnotherWindowProcedureIsRefused)
{
    CProbeWindow window;
    EXPECT_FALSE(window.Create("STATIC", "static", WS_OVERLAPPEDWINDOW));
    EXPECT_EQ(nullptr, window.GetHwnd());
}

// Counts what reaches it and passes everything on to the procedure it replaced.
class CCountingSubclass : public fw::CSubclassWnd {
public:
    int answers = 0;
    int destroys = 0;  // WM_DESTROY; WM_NCDESTROY ends the binding

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == kAnswer)
            ++answers;
        else if (message == WM_DESTROY)
            ++destroys;
        return DefaultProc(message, wParam, lParam);
    }
};

// A framework window and a subclass over it are bound by the same mechanism, each under
// its own kind: both see the message, in order, and destruction unbinds both.
TEST(Window, SubclassOverAFrameworkWindowKeepsBothObjects)
{
    CProbeWindow window;
    ASSERT_TRUE(window.Create(kClass, "probe", WS_OVERLAPPEDWINDOW));
    CCountingSubclass subclass;
    ASSERT_TRUE(subclass.SubclassWindow(window.GetHwnd()));
    EXPECT_EQ(&subclass, fw::CSubclassWnd::FromHandle(window.GetHwnd()));
    EXPECT_EQ(47, SendMessageA(window.GetHwnd(), kAnswer, 5, 0));
    EXPECT_EQ(1, subclass.answers);
    window.Destroy();
    EXPECT_EQ(nullptr, subclass.GetSafeHwnd());
    EXPECT_EQ(nullptr, window.GetHwnd());
    EXPECT_EQ(static_cast<UINT>(WM_NCDESTROY), window.seen.back());
}

// Destroyed with another thread's parent, the window's end reaches both objects, the one
// beneath the subclass too, although the messages wait until the window is gone.
TEST(Window, DestructionWithAnotherThreadsParentReachesWindowAndSubclass)
{
    CProbeWindow window;
    ASSERT_TRUE(window.Create(kClass, "probe", WS_OVERLAPPEDWINDOW));
    const HWND hwnd = window.GetHwnd();
    CCountingSubclass subclass;
    ASSERT_TRUE(subclass.SubclassWindow(hwnd));
    {
        CAnotherThreadsWindow parent;
        SetParent(hwnd, parent.Get());
        parent.Destroy();
        HandleMessagesFor(300);
    }
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(1, subclass.destroys);
    EXPECT_EQ(nullptr, subclass.GetSafeHwnd());
    for (const UINT message : {UINT{WM_DESTROY}, UINT{WM_NCDESTROY}})
        EXPECT_EQ(1, std::count(window.seen.begin(), window.seen.end(), message)) << message;
    EXPECT_EQ(nullptr, window.GetHwnd());
}

// The last messages of a window, sent or posted by another program, leave a framework
// window and a subclass over it bound and seeing no end; the real end still unbinds both.
TEST(Window, ForgedDestroyMessagesLeaveWindowAndSubclassBound)
{
    const std::vector<std::pair<const char*, void (*)(HWND, UINT)>> deliveries = {
        {"sent", [](HWND w, UINT m) { SendFromAnotherThread(w, m); }},
        {"posted", [](HWND w, UINT m) { PostMessageA(w, m, 0, 0); HandlePostedMessages(); }},
        // As a real destruction with another thread's parent brings them; the window
        // outlives them.
        {"sent to another thread's child", [](HWND w, UINT m) {
            const CAnotherThreadsWindow parent;
            SetParent(w, parent.Get());
            SendFromAnotherThread(w, m);
            HandleMessagesFor(300);
            SetParent(w, nullptr);
            HandleMessagesFor(300);
        }},
    };
    for (const auto& [how, deliver] : deliveries) {
        CProbeWindow window;
        ASSERT_TRUE(window.Create(kClass, "probe", WS_OVERLAPPEDWINDOW)) << how;
        const HWND hwnd = window.GetHwnd();
        CCountingSubclass subclass;
        ASSERT_TRUE(subclass.SubclassWindow(hwnd)) << how;
        for (const UINT message : {UINT{WM_DESTROY}, UINT{WM_NCDESTROY}})
            deliver(hwnd, message);
        EXPECT_FALSE(Saw(window, WM_DESTROY)) << how;
        EXPECT_FALSE(Saw(window, WM_NCDESTROY)) << how;
        EXPECT_EQ(hwnd, window.GetHwnd()) << how;
        EXPECT_EQ(&subclass, fw::CSubclassWnd::FromHandle(hwnd)) << how;
        EXPECT_EQ(47, SendMessageA(hwnd, kAnswer, 5, 0)) << how;
        EXPECT_EQ(1, subclass.answers) << how;
        window.Destroy();
        EXPECT_TRUE(Saw(window, WM_DESTROY)) << how;
        EXPECT_EQ(nullptr, window.GetHwnd()) << how;
        EXPECT_EQ(nullptr, subclass.GetSafeHwnd()) << how;
    }
}

} // namespace
