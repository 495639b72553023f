#include "framework/PropertyPage.h"
#include "framework/PropertySheet.h"

#include "DialogTest.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

constexpr UINT kFirstStep = WM_APP + 1;
constexpr UINT kSecondStep = WM_APP + 2;
constexpr UINT kAskValue = WM_APP + 3;
constexpr UINT kThrow = WM_APP + 4;
constexpr UINT kCaption = 1;  // no such string: the sheet goes without a caption

// A page bound as dialogs are: handler results reach the sender, and what a handler
// throws stays inside, also on the sheet's notifications.
class ProbePage : public fw::CPropertyPage {
public:
    ProbePage() : CPropertyPage(IDD_TEST_DIALOG) {}

    bool throwOnApply = true;
    int applyCalls = 0;
    LRESULT answer = 0;
    bool aliveAfterThrow = false;

protected:
    BOOL OnInitDialog() override
    {
        PostMessageA(GetSafeHwnd(), kFirstStep, 0, 0);
        return CPropertyPage::OnInitDialog();
    }
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
        case kFirstStep:
            answer = SendMessageA(GetSafeHwnd(), kAskValue, 21, 0);
            SendMessageA(GetSafeHwnd(), kThrow, 0, 0);
            aliveAfterThrow = IsWindow(GetSafeHwnd()) != FALSE;
            PostMessageA(GetSheetHwnd(), PSM_PRESSBUTTON, PSBTN_OK, 0);  // refused: OnApply throws
            PostMessageA(GetSafeHwnd(), kSecondStep, 0, 0);
            return TRUE;
        case kSecondStep:
            throwOnApply = false;
            PostMessageA(GetSheetHwnd(), PSM_PRESSBUTTON, PSBTN_OK, 0);
            return TRUE;
        case kAskValue:
            return Result(static_cast<LRESULT>(wParam) * 2);
        case kThrow:
            throw std::runtime_error("handler failure");
        default:
            return CPropertyPage::OnMessage(message, wParam, lParam);
        }
    }
    BOOL OnApply() override
    {
        ++applyCalls;
        if (throwOnApply)
            throw std::runtime_error("apply failure");
        return TRUE;
    }
};

TEST(PropertyPage, HandlerResultsReachTheSenderAndAThrowingApplyKeepsTheSheetOpen)
{
    ProbePage page;
    fw::CPropertySheet sheet(kCaption);
    sheet.AddPage(page);
    EXPECT_EQ(IDOK, sheet.DoModal());
    EXPECT_EQ(42, page.answer);
    EXPECT_TRUE(page.aliveAfterThrow);
    EXPECT_EQ(2, page.applyCalls) << "the first OK was refused and the sheet stayed";
    EXPECT_EQ(nullptr, page.GetSafeHwnd());
}

} // namespace
