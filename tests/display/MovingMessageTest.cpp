#include "display/MovingMessageWnd.h"
#include "display/TopmostWindowList.h"

#include "ModalScript.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <ostream>
#include <string>
#include <vector>

namespace {

// Read from the window itself, so that windows of other tests running meanwhile do not
// get in the way.
COLORREF WindowPixel(HWND window, int x, int y)
{
    const HDC dc = GetDC(window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

TEST(MovingMessageWnd, DisabledTopmostPopupThatHidesThePointer)
{
    CTopmostWindowList topmost;
    const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    SetCursor(arrow);
    {
        CMovingMessageWnd message(topmost);
        message.SetMessage("ロック中です");
        ASSERT_TRUE(message.Create(400, 300, nullptr));
        const HWND window = message.GetHwnd();
        EXPECT_EQ(WS_EX_TOPMOST | WS_EX_TOOLWINDOW,
                  GetWindowLongA(window, GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW));
        EXPECT_EQ(static_cast<LONG>(WS_POPUP | WS_DISABLED), GetWindowLongA(window, GWL_STYLE) & (WS_POPUP | WS_DISABLED));
        RECT r = {};
        GetWindowRect(window, &r);
        const RECT expected = {0, 0, 400, 300};
        EXPECT_TRUE(EqualRect(&r, &expected));
        EXPECT_TRUE(IsWindowVisible(window));
        std::vector<HWND> listed;
        topmost.CopyTo(listed);
        EXPECT_EQ(std::vector<HWND>{window}, listed);

        // The first step draws the message white on black, and the clock from then on.
        ASSERT_TRUE(PumpUntil([&] { return message.Motion().X() > 0 && message.Motion().X() < 400; }));
        EXPECT_NE(arrow, GetCursor());
        EXPECT_NE(nullptr, GetCursor());
        PumpUntil([] { return false; }, 100);
        EXPECT_EQ(RGB(0, 0, 0), WindowPixel(window, 5, 5));
        bool clockDrawn = false;
        for (int x = 250; x < 395 && !clockDrawn; ++x)
            for (int y = 270; y < 295 && !clockDrawn; ++y)
                clockDrawn = GetGValue(WindowPixel(window, x, y)) > 0x80;
        EXPECT_TRUE(clockDrawn);
    }
    std::vector<HWND> listed;
    topmost.CopyTo(listed);
    EXPECT_TRUE(listed.empty());
}

struct RowCase {
    const char* name;
    std::string message;
    int width;
    int height;  // 0: exactly the text height
};

void PrintTo(const RowCase& c, std::ostream* out)
{
    *out << c.name;
}

class MovingMessageRows : public testing::TestWithParam<RowCase> {};

// Each pass takes a new row where the whole line fits; a window no taller than the text
// uses the top row.
TEST_P(MovingMessageRows, EveryPassPicksARowInsideTheWindow)
{
    const RowCase& c = GetParam();
    CTopmostWindowList topmost;
    CMovingMessageWnd probe(topmost);
    probe.SetMessage(c.message);
    ASSERT_TRUE(probe.Create(c.width, 200, nullptr));
    const int height = c.height ? c.height : std::max<int>(probe.TextSize().cy, 1);
    probe.Destroy();

    CMovingMessageWnd message(topmost);
    message.SetMessage(c.message);
    ASSERT_TRUE(message.Create(c.width, height, nullptr));
    std::set<int> rows;
    int passes = 0;
    int lastX = c.width;
    ASSERT_TRUE(PumpUntil([&] {
        const int x = message.Motion().X();
        if (x > lastX) {
            ++passes;
            rows.insert(message.Motion().Y());
        }
        lastX = x;
        return passes >= 3;
    }, 60000));
    const int lowest = height - message.TextSize().cy;
    for (const int row : rows) {
        EXPECT_GE(row, 0);
        EXPECT_LE(row, std::max(lowest - 1, 0));
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, MovingMessageRows,
                         testing::Values(RowCase{"Empty", "", 120, 300},
                                         RowCase{"Wide", std::string(20, 'W'), 120, 300},
                                         RowCase{"WindowHigh", "ロック", 120, 0},
                                         RowCase{"LowerThanText", "ロック", 120, 8}),
                         [](const testing::TestParamInfo<RowCase>& info) { return std::string(info.param.name); });

} // namespace
