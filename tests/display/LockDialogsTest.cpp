#include "lockcore/LockScreen.h"
#include "display/DisplayResource.h"
#include "display/LockMessageBox.h"
#include "display/PasswordDialog.h"
#include "display/TopmostWindowList.h"
#include "display/WindowPlacement.h"
#include "tests/framework/ForeignMessages.h"
#include "tests/lockcore/RecordingScreen.h"

#include "LockDisplayTest.h"
#include "ModalScript.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>

namespace {

int Width(const RECT& r)
{
    return r.right - r.left;
}

int Height(const RECT& r)
{
    return r.bottom - r.top;
}

bool IsListed(CTopmostWindowList& list, HWND window)
{
    std::vector<HWND> windows;
    list.CopyTo(windows);
    return std::find(windows.begin(), windows.end(), window) != windows.end();
}

// The extent of each line of a string-table text in the box's text font.
std::vector<SIZE> LineExtents(HWND textControl, UINT id)
{
    char text[2048] = {};
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    std::vector<SIZE> lines;
    const HDC dc = GetDC(textControl);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(textControl, WM_GETFONT, 0, 0)));
    std::string all(text);
    for (std::size_t start = 0;;) {
        const std::size_t end = all.find('\n', start);
        const std::string line = all.substr(start, end == std::string::npos ? std::string::npos : end - start);
        SIZE size = {};
        GetTextExtentPoint32A(dc, line.c_str(), static_cast<int>(line.size()), &size);
        lines.push_back(size);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    SelectObject(dc, old);
    ReleaseDC(textControl, dc);
    return lines;
}

struct BoxCase {
    const char* name;
    UINT message;
    int buttonSet;
    bool widerThanButtons;
};

void PrintTo(const BoxCase& c, std::ostream* out)
{
    *out << c.name;
}

class LockMessageBoxTest : public testing::TestWithParam<BoxCase> {};

TEST_P(LockMessageBoxTest, SizesItselfToTheTextAndPlacesTheButtons)
{
    const BoxCase c = GetParam();
    CTopmostWindowList topmost;
    CLockMessageBox box(topmost, nullptr);
    box.SetMessage(c.message, CLockMessageBox::kIconInformation, c.buttonSet);
    ModalScript script([&] { box.EndDialog(IDCANCEL); });
    script.Do([&] {
        const HWND window = box.GetSafeHwnd();
        const HWND text = box.GetDlgItem(IDC_BOX_TEXT);
        const RECT textRect = ChildRect(text);
        const RECT iconRect = ChildRect(box.GetDlgItem(IDC_BOX_ICON));
        const RECT ok = ChildRect(box.GetDlgItem(IDOK));
        const RECT cancel = ChildRect(box.GetDlgItem(IDCANCEL));
        RECT client = {}, frame = {};
        GetClientRect(window, &client);
        GetWindowRect(window, &frame);

        // The text block: the widest line by the sum of the lines.
        const std::vector<SIZE> lines = LineExtents(text, c.message);
        LONG widest = 0, high = 0;
        for (const SIZE& line : lines) {
            widest = std::max(widest, line.cx);
            high += line.cy;
        }
        EXPECT_EQ(widest, Width(textRect));
        EXPECT_EQ(high, Height(textRect));
        if (high < Height(iconRect))
            EXPECT_EQ(iconRect.top + Height(iconRect) / 2 - high / 2, textRect.top);  // centred on the icon
        else
            EXPECT_EQ(iconRect.top, textRect.top);

        // The left margin repeated on the right, unless the buttons need more.
        if (c.widerThanButtons)
            EXPECT_EQ(textRect.right + iconRect.left, Width(frame));
        else
            EXPECT_GT(Width(frame), textRect.right + iconRect.left);

        // The buttons lie inside the box, apart and centred on the window width.
        EXPECT_GE(ok.left, 0);
        const RECT& rightmost = c.buttonSet == CLockMessageBox::kOkCancel ? cancel : ok;
        EXPECT_LE(rightmost.right, client.right);
        if (c.buttonSet == CLockMessageBox::kOkCancel) {
            EXPECT_TRUE(GetWindowLongA(box.GetDlgItem(IDCANCEL), GWL_STYLE) & WS_VISIBLE);
            EXPECT_EQ(10, cancel.left - ok.right);
            EXPECT_EQ(Width(frame) / 2 - (Width(ok) + Width(cancel) + 20) / 2, ok.left);
        } else {
            EXPECT_FALSE(GetWindowLongA(box.GetDlgItem(IDCANCEL), GWL_STYLE) & WS_VISIBLE);
            EXPECT_EQ(Width(frame) / 2 - Width(ok) / 2, ok.left);
        }

        EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_TRUE(IsListed(topmost, window));
        box.EndDialog(IDCANCEL);
    });
    script.Start();
    EXPECT_EQ(IDCANCEL, box.DoModal());
    EXPECT_TRUE(script.Finished());
    std::vector<HWND> left;
    topmost.CopyTo(left);
    EXPECT_TRUE(left.empty());
}

INSTANTIATE_TEST_SUITE_P(Texts, LockMessageBoxTest,
                         testing::Values(BoxCase{"ShortOkCancel", IDS_TEST_SHORT, CLockMessageBox::kOkCancel, false},
                                         BoxCase{"ShortOk", IDS_TEST_SHORT, CLockMessageBox::kOkOnly, false},
                                         BoxCase{"LongOkCancel", IDS_TEST_LONG, CLockMessageBox::kOkCancel, true},
                                         BoxCase{"WrongPassword", IDS_WRONG_PASSWORD, CLockMessageBox::kOkOnly, true},
                                         BoxCase{"TwoLinesRefusal", IDS_END_SESSION_REFUSED, CLockMessageBox::kOkOnly, true},
                                         BoxCase{"ConfirmShutdown", IDS_CONFIRM_SHUTDOWN, CLockMessageBox::kOkCancel, true}),
                         [](const testing::TestParamInfo<BoxCase>& info) { return std::string(info.param.name); });

TEST(LockMessageBox, OkEndsTheBoxWithIdOk)
{
    CTopmostWindowList topmost;
    CLockMessageBox box(topmost, nullptr);
    box.SetMessage(IDS_CONFIRM_SHUTDOWN, 0, CLockMessageBox::kOkCancel);
    ModalScript script([&] { box.EndDialog(IDCANCEL); });
    script.WaitFor([&] { return IsWindowVisible(box.GetSafeHwnd()) != FALSE; })
        .Do([&] { SendMessageA(box.GetSafeHwnd(), WM_COMMAND, IDOK, 0); });
    script.Start();
    EXPECT_EQ(IDOK, box.DoModal());
}

// A password dialog over a recording lock display, driven by a script.
class PasswordDialogTest : public testing::Test {
protected:
    RecordingScreen screen;
    CTopmostWindowList topmost;
    CPasswordDialog dialog{&screen, topmost, nullptr};
    ModalScript script{[this] { dialog.Close(99); }};

    static Corvantis::SPasswordResult Verdict(int ok, int mayUnlock, int alarm) { return {ok, mayUnlock, alarm}; }
    bool BoxOpen() const
    {
        return dialog.OpenMessageBox() && dialog.OpenMessageBox()->GetSafeHwnd() &&
               IsWindowVisible(dialog.OpenMessageBox()->GetSafeHwnd());
    }
    INT_PTR RunDialog()
    {
        script.Start();
        const INT_PTR result = dialog.DoModal();
        EXPECT_TRUE(script.Finished());
        EXPECT_EQ(nullptr, dialog.OpenMessageBox());
        std::vector<HWND> left;
        topmost.CopyTo(left);
        EXPECT_TRUE(left.empty());
        return result;
    }
};

TEST_F(PasswordDialogTest, OkHandsTheTypedTextOverAndARightVerdictEndsWithOk)
{
    script.Do([&] {
            EXPECT_FALSE(IsWindowVisible(dialog.GetSafeHwnd()));  // hidden until the key state allows it
            EXPECT_TRUE(IsListed(topmost, dialog.GetSafeHwnd()));
            SetDlgItemTextA(dialog.GetSafeHwnd(), IDC_PASSWORD_TEXT, "secret");
            SendMessageA(dialog.GetSafeHwnd(), WM_COMMAND, IDOK, 0);
            EXPECT_TRUE(dialog.IsModalRunning());  // the verdict is still to come
            const auto verdict = Verdict(1, 1, 0);
            dialog.OnCheckResult(&verdict);
        });
    EXPECT_EQ(IDOK, RunDialog());
    EXPECT_EQ(1, dialog.MayUnlock());
    EXPECT_EQ(0, dialog.Alarm());
    const std::vector<std::string> expected = {"WatchKeyState", "CheckPassword [secret]"};
    EXPECT_EQ(expected, screen.Calls());
}

TEST_F(PasswordDialogTest, KeyStateZeroShowsItCentredAndOthersCloseIt)
{
    script.Do([&] { dialog.SetDialogState(0); })
        .Do([&] {
            EXPECT_TRUE(IsWindowVisible(dialog.GetSafeHwnd()));
            RECT r = {};
            GetWindowRect(dialog.GetSafeHwnd(), &r);
            EXPECT_NEAR(GetSystemMetrics(SM_CXSCREEN) / 2, (r.left + r.right) / 2, 1);
            dialog.SetDialogState(2);
        });
    EXPECT_EQ(2, RunDialog());

    for (const int state : {1, 2}) {
        CPasswordDialog another(&screen, topmost, nullptr);
        ModalScript close([&] { another.Close(99); });
        close.Do([&] { another.SetDialogState(state); });
        close.Start();
        EXPECT_EQ(state, another.DoModal());
    }
}

TEST_F(PasswordDialogTest, WrongVerdictOpensOneBoxAtATime)
{
    const auto wrong = Verdict(0, 0, 0);
    bool secondReturned = false;
    CLockMessageBox* first = nullptr;
    script.Do([&] { dialog.OnCheckResult(&wrong); })  // runs the box modally
        .WaitFor([&] { return BoxOpen(); })
        .Do([&] {
            first = dialog.OpenMessageBox();
            EXPECT_EQ(dialog.GetSafeHwnd(), GetWindow(first->GetSafeHwnd(), GW_OWNER));
            dialog.OnCheckResult(&wrong);
            secondReturned = true;  // no second box ran
            EXPECT_EQ(first, dialog.OpenMessageBox());
        })
        .WaitFor([&] { return secondReturned; })
        .Do([&] { first->EndDialog(IDOK); })
        .WaitFor([&] { return dialog.OpenMessageBox() == nullptr; })
        .Do([&] {
            EXPECT_TRUE(dialog.IsModalRunning());  // open for another try
            dialog.Close(IDCANCEL);
        });
    EXPECT_EQ(IDCANCEL, RunDialog());
    EXPECT_EQ(0, dialog.Alarm());
}

// A WM_DESTROY that another program sends or posts is no end: the open box and the
// dialog's place on top stay until the dialog really ends.
TEST_F(PasswordDialogTest, AForgedDestroyEndsNeitherTheBoxNorTheTopmostPlace)
{
    const auto wrong = Verdict(0, 0, 0);
    DWORD posted = 0;
    script.Do([&] { dialog.OnCheckResult(&wrong); })
        .WaitFor([&] { return BoxOpen(); })
        .Do([&] {
            SendFromAnotherThread(dialog.GetSafeHwnd(), WM_DESTROY);
            PostMessageA(dialog.GetSafeHwnd(), WM_DESTROY, 0, 0);
            posted = GetTickCount();
        })
        .WaitFor([&] { return GetTickCount() - posted > 300; })  // the box's loop took the post
        .Do([&] {
            EXPECT_TRUE(BoxOpen());
            EXPECT_TRUE(IsListed(topmost, dialog.GetSafeHwnd()));
            dialog.Close(IDCANCEL);
        });
    EXPECT_EQ(IDCANCEL, RunDialog());
}

TEST_F(PasswordDialogTest, AlarmVerdictEndsTheBoxAndTheDialog)
{
    const auto wrong = Verdict(0, 0, 0);
    const auto alarm = Verdict(0, 0, 1);
    script.Do([&] { dialog.OnCheckResult(&wrong); })
        .WaitFor([&] { return BoxOpen(); })
        .Do([&] { dialog.OnCheckResult(&alarm); });
    EXPECT_EQ(IDCANCEL, RunDialog());
    EXPECT_EQ(1, dialog.Alarm());
    EXPECT_EQ(0, dialog.MayUnlock());
}

} // namespace
