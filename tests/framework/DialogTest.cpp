#include "framework/Dialog.h"
#include "framework/SubclassWnd.h"

#include "DialogTest.h"
#include "ForeignMessages.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr UINT kRunStep = WM_APP + 1;
constexpr UINT kAskValue = WM_APP + 2;
constexpr UINT kThrow = WM_APP + 3;

// Code page 932 bytes: "保存" and "保存\A" (a second byte 0x5C must survive).
const std::string kSaveWord = "\x95\xDB\x91\xB6";
const std::string kEdited = "\x95\xDB\x91\xB6\\A";

// A dialog that runs `step` once its modal loop is going, with members for the exchange.
class ProbeDialog : public fw::CDialog {
public:
    explicit ProbeDialog(std::function<void(ProbeDialog&)> step, UINT id = IDD_TEST_DIALOG, HWND parent = nullptr)
        : CDialog(id, parent), m_step(std::move(step))
    {
    }

    std::string text = kSaveWord;
    int checked = 1;
    bool rejectText = false;
    int initCalls = 0;
    int okCalls = 0;
    int destroyCalls = 0;
    bool endsOnQuit = true;
    std::function<void(ProbeDialog&)> onTimer;

protected:
    BOOL OnInitDialog() override
    {
        ++initCalls;
        PostMessageA(GetSafeHwnd(), kRunStep, 0, 0);
        return CDialog::OnInitDialog();
    }
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
        case kRunStep:
            m_step(*this);
            return TRUE;
        case kAskValue:
            return Result(static_cast<LRESULT>(wParam) * 2);
        case WM_TIMER:
            if (onTimer)
                onTimer(*this);
            return TRUE;
        case kThrow:
            throw std::runtime_error("handler failure");
        case WM_DESTROY:
            ++destroyCalls;
            return FALSE;
        default:
            return CDialog::OnMessage(message, wParam, lParam);
        }
    }
    bool EndsOnQuit() const override { return endsOnQuit; }
    void OnOK() override
    {
        ++okCalls;
        CDialog::OnOK();
    }
    void DoDataExchange(fw::CDataExchange& dx) override
    {
        fw::DDX_Text(dx, IDC_TEST_EDIT, text);
        if (dx.m_bSaveAndValidate && rejectText && text.empty())
            dx.Fail();
        fw::DDX_Check(dx, IDC_TEST_CHECK, checked);
    }

private:
    std::function<void(ProbeDialog&)> m_step;
};

std::string WindowText(HWND hwnd)
{
    char buffer[256] = {};
    GetWindowTextA(hwnd, buffer, sizeof buffer);
    return buffer;
}

TEST(Dialog, ModalRunEndsWithTheGivenResultAfterOneInit)
{
    ProbeDialog dialog([](ProbeDialog& d) { d.EndDialog(42); });
    EXPECT_EQ(42, dialog.DoModal());
    EXPECT_EQ(1, dialog.initCalls);
    EXPECT_EQ(nullptr, dialog.GetSafeHwnd());
}

TEST(Dialog, MissingTemplateGivesMinusOne)
{
    ProbeDialog dialog([](ProbeDialog& d) { d.EndDialog(1); }, IDD_MISSING);
    EXPECT_EQ(-1, dialog.DoModal());
    EXPECT_EQ(0, dialog.initCalls);
}

TEST(Dialog, DataExchangeFillsControlsAndReadsThemBack)
{
    std::string shown;
    int shownCheck = -1;
    ProbeDialog dialog([&](ProbeDialog& d) {
        shown = WindowText(d.GetDlgItem(IDC_TEST_EDIT));
        shownCheck = static_cast<int>(SendMessageA(d.GetDlgItem(IDC_TEST_CHECK), BM_GETCHECK, 0, 0));
        SetWindowTextA(d.GetDlgItem(IDC_TEST_EDIT), kEdited.c_str());
        SendMessageA(d.GetDlgItem(IDC_TEST_CHECK), BM_SETCHECK, BST_UNCHECKED, 0);
        SendMessageA(d.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(kSaveWord, shown);
    EXPECT_EQ(BST_CHECKED, shownCheck);
    EXPECT_EQ(kEdited, dialog.text);
    EXPECT_EQ(0, dialog.checked);
}

TEST(Dialog, FailedValidationKeepsTheDialogOpenWithFocusOnTheField)
{
    bool kept = false;
    HWND focused = nullptr, edit = nullptr;
    ProbeDialog dialog([&](ProbeDialog& d) {
        d.rejectText = true;
        edit = d.GetDlgItem(IDC_TEST_EDIT);
        SetWindowTextA(edit, "");
        SendMessageA(d.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        kept = d.IsModalRunning();
        focused = GetFocus();
        d.EndDialog(7);
    });
    EXPECT_EQ(7, dialog.DoModal());
    EXPECT_EQ(1, dialog.okCalls);
    EXPECT_TRUE(kept);
    EXPECT_EQ(edit, focused);
}

TEST(Dialog, CancelEndsWithIdCancel)
{
    ProbeDialog dialog([](ProbeDialog& d) {
        SendMessageA(d.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
}

TEST(Dialog, HandlerResultReachesTheSenderAndExceptionsStayInside)
{
    LRESULT answer = 0;
    bool aliveAfterThrow = false;
    ProbeDialog dialog([&](ProbeDialog& d) {
        answer = SendMessageA(d.GetSafeHwnd(), kAskValue, 21, 0);
        SendMessageA(d.GetSafeHwnd(), kThrow, 0, 0);
        aliveAfterThrow = d.IsModalRunning();
        d.EndDialog(3);
    });
    EXPECT_EQ(3, dialog.DoModal());
    EXPECT_EQ(42, answer);
    EXPECT_TRUE(aliveAfterThrow);
}

TEST(Dialog, ModalRunShowsTheDialogOnceIdle)
{
    bool visible = false;
    ProbeDialog dialog([](ProbeDialog& d) { SetTimer(d.GetSafeHwnd(), 1, 20, nullptr); });
    dialog.onTimer = [&](ProbeDialog& d) {
        KillTimer(d.GetSafeHwnd(), 1);
        visible = IsWindowVisible(d.GetSafeHwnd()) != FALSE;
        d.EndDialog(1);
    };
    EXPECT_EQ(1, dialog.DoModal());
    EXPECT_TRUE(visible);
}

TEST(Dialog, QuitDuringTheModalRunEndsItAndReachesTheOuterLoop)
{
    ProbeDialog dialog([](ProbeDialog&) { PostQuitMessage(5); });
    EXPECT_EQ(-1, dialog.DoModal());
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(5u, msg.wParam);
}

// A dialog that refuses the quit drops it and runs on until it ends itself.
TEST(Dialog, ARefusedQuitIsDroppedAndTheRunGoesOn)
{
    ProbeDialog dialog([](ProbeDialog& d) {
        PostQuitMessage(5);
        SetTimer(d.GetSafeHwnd(), 1, 100, nullptr);
    });
    dialog.endsOnQuit = false;
    dialog.onTimer = [](ProbeDialog& d) { d.EndDialog(7); };
    EXPECT_EQ(7, dialog.DoModal());
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(Dialog, ModelessDialogLivesUntilDestroyed)
{
    ProbeDialog dialog([](ProbeDialog&) {});
    ASSERT_TRUE(dialog.Create());
    const HWND hwnd = dialog.GetSafeHwnd();
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_FALSE(dialog.Create());
    dialog.DestroyWindow();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(nullptr, dialog.GetSafeHwnd());
}

// Any program may send or post the last messages of a window to one that lives on: the
// dialog keeps its object and sees no end.
TEST(Dialog, ForgedDestroyMessagesLeaveTheDialogBound)
{
    const CAnotherThreadsWindow parent;
    const std::vector<std::pair<const char*, std::function<void(HWND)>>> forgeries = {
        {"WM_NCDESTROY sent", [](HWND w) { SendFromAnotherThread(w, WM_NCDESTROY); }},
        {"WM_NCDESTROY posted", [](HWND w) { PostMessageA(w, WM_NCDESTROY, 0, 0); HandlePostedMessages(); }},
        {"WM_DESTROY sent", [](HWND w) { SendFromAnotherThread(w, WM_DESTROY); }},
        {"WM_DESTROY posted", [](HWND w) { PostMessageA(w, WM_DESTROY, 0, 0); HandlePostedMessages(); }},
        // As a real destruction with another thread's parent brings them, which no hook
        // on this thread sees; the window outlives them.
        {"both sent to another thread's child", [&](HWND w) {
            SetParent(w, parent.Get());
            SendFromAnotherThread(w, WM_DESTROY);
            SendFromAnotherThread(w, WM_NCDESTROY);
            HandleMessagesFor(300);
            SetParent(w, nullptr);
            HandleMessagesFor(300);
        }},
    };
    for (const auto& [what, forge] : forgeries) {
        ProbeDialog dialog([](ProbeDialog&) {});
        ASSERT_TRUE(dialog.Create()) << what;
        const HWND hwnd = dialog.GetSafeHwnd();
        forge(hwnd);
        EXPECT_EQ(hwnd, dialog.GetSafeHwnd()) << what;
        EXPECT_EQ(0, dialog.destroyCalls) << what;
        EXPECT_EQ(42, SendMessageA(hwnd, kAskValue, 21, 0)) << what;  // still handled by the object
        dialog.DestroyWindow();
        EXPECT_EQ(1, dialog.destroyCalls) << what;
        EXPECT_EQ(nullptr, dialog.GetSafeHwnd()) << what;
    }
}

// A WM_INITDIALOG from anyone else neither rebinds the dialog (here to another object at
// the address it carries) nor runs its start-up again.
TEST(Dialog, AForgedInitDialogBindsNothing)
{
    ProbeDialog dialog([](ProbeDialog&) {});
    ProbeDialog other([](ProbeDialog&) {});
    ASSERT_TRUE(dialog.Create());
    const HWND hwnd = dialog.GetSafeHwnd();
    SendFromAnotherThread(hwnd, WM_INITDIALOG, reinterpret_cast<LPARAM>(&other));
    PostMessageA(hwnd, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&other));
    HandlePostedMessages();
    EXPECT_EQ(1, dialog.initCalls);
    EXPECT_EQ(0, other.initCalls);
    EXPECT_EQ(hwnd, dialog.GetSafeHwnd());
    EXPECT_EQ(nullptr, other.GetSafeHwnd());
    EXPECT_EQ(42, SendMessageA(hwnd, kAskValue, 21, 0));
}

// However a window really goes, its object sees the end and lets the window go.
TEST(Dialog, EveryRealDestructionUnbindsTheDialog)
{
    struct SCase {
        const char* what;
        bool owned;
        std::function<void(ProbeDialog&, HWND owner)> destroy;
    };
    const std::vector<SCase> cases = {
        {"its own DestroyWindow", false, [](ProbeDialog& d, HWND) { d.DestroyWindow(); }},
        {"DestroyWindow on the handle", false, [](ProbeDialog& d, HWND) { ::DestroyWindow(d.GetSafeHwnd()); }},
        {"its owner destroyed", true, [](ProbeDialog&, HWND owner) { ::DestroyWindow(owner); }},
        {"destroyed with another thread's parent", false, [](ProbeDialog& d, HWND) {
            CAnotherThreadsWindow parent;
            SetParent(d.GetSafeHwnd(), parent.Get());
            parent.Destroy();
            HandleMessagesFor(300);
        }},
        // Before this thread's loop has seen that the window went.
        {"destroyed with another thread's parent, then its own DestroyWindow", false, [](ProbeDialog& d, HWND) {
            CAnotherThreadsWindow parent;
            SetParent(d.GetSafeHwnd(), parent.Get());
            parent.Destroy();
            d.DestroyWindow();
        }},
    };
    for (const SCase& c : cases) {
        const HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                           nullptr, nullptr);
        ASSERT_TRUE(owner) << c.what;
        ProbeDialog dialog([](ProbeDialog&) {}, IDD_TEST_DIALOG, c.owned ? owner : nullptr);
        ASSERT_TRUE(dialog.Create()) << c.what;
        const HWND hwnd = dialog.GetSafeHwnd();
        c.destroy(dialog, owner);
        EXPECT_FALSE(IsWindow(hwnd)) << c.what;
        EXPECT_EQ(1, dialog.destroyCalls) << c.what;
        EXPECT_EQ(nullptr, dialog.GetSafeHwnd()) << c.what;
        ::DestroyWindow(owner);
    }
}

// An owner-drawn button that records the draw requests its dialog hands back to it.
class DrawnButton : public fw::CSubclassWnd {
public:
    int draws = 0;
    int clicks = 0;
    bool OnChildNotify(UINT message, WPARAM, LPARAM, LRESULT& result) override
    {
        if (message != WM_DRAWITEM)
            return false;
        ++draws;
        result = TRUE;
        return true;
    }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_LBUTTONUP)
            ++clicks;
        return DefaultProc(message, wParam, lParam);
    }
};

TEST(SubclassWnd, RoutesMessagesAndDrawRequestsAndUnbindsOnDestroy)
{
    DrawnButton button;
    HWND control = nullptr;
    LRESULT drawResult = 0;
    ProbeDialog dialog([&](ProbeDialog& d) {
        control = d.GetDlgItem(IDC_TEST_OWNERDRAW);
        ASSERT_TRUE(button.SubclassDlgItem(IDC_TEST_OWNERDRAW, d.GetSafeHwnd()));
        EXPECT_FALSE(DrawnButton().SubclassWindow(control));  // one object per window
        EXPECT_EQ(&button, fw::CSubclassWnd::FromHandle(control));
        SendMessageA(control, WM_LBUTTONUP, 0, 0);
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_BUTTON;
        item.CtlID = IDC_TEST_OWNERDRAW;
        item.hwndItem = control;
        drawResult = SendMessageA(d.GetSafeHwnd(), WM_DRAWITEM, IDC_TEST_OWNERDRAW, reinterpret_cast<LPARAM>(&item));
        d.EndDialog(1);
    });
    EXPECT_EQ(1, dialog.DoModal());
    EXPECT_EQ(1, button.clicks);
    EXPECT_EQ(1, button.draws);
    EXPECT_EQ(TRUE, drawResult);
    EXPECT_EQ(nullptr, button.GetSafeHwnd());
    EXPECT_FALSE(IsWindow(control));
}

} // namespace
