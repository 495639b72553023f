#include "display/MessageMotion.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct RowCase {
    unsigned random;
    int height;
    int textHeight;
    int row;
};

TEST(MessageMotion, RowFitsTheWholeLineOrIsTheTop)
{
    const RowCase cases[] = {
        {7, 100, 21, 7},
        {100, 100, 21, 100 % 79},
        {0xFFFFFFFFu, 768, 21, static_cast<int>(0xFFFFFFFFu % 747)},
        {5, 21, 21, 0},   // the window is exactly one line high
        {5, 10, 21, 0},   // lower than the line
        {5, 100, 0, 5},   // an empty message has no height
    };
    for (const RowCase& c : cases)
        EXPECT_EQ(c.row, CMessageMotion::ChooseRow(c.random, c.height, c.textHeight))
            << c.random << " " << c.height << " " << c.textHeight;
}

// Runs the motion for `ticks` ticks with a row number that grows by one each pass.
struct Motion {
    std::vector<CMessageMotion::SDraw> draws;
    std::vector<int> drawTicks;
};

Motion Drive(CMessageMotion& motion, int ticks, bool empty, int paintAtTick = -1)
{
    Motion run;
    unsigned random = 3;
    for (int tick = 0; tick < ticks; ++tick) {
        if (tick == paintAtTick)
            motion.RequestFullRedraw();
        const bool newPass = motion.State() == 1;
        const CMessageMotion::SDraw draw = motion.Tick(random, empty);
        if (newPass)
            ++random;
        if (draw.draw) {
            if (motion.FullRedraw())
                motion.FullRedrawDone();
            run.draws.push_back(draw);
            run.drawTicks.push_back(tick);
        }
    }
    return run;
}

TEST(MessageMotion, WideMessageStepsEveryElevenTicksAndLeavesBeforeTheNextPass)
{
    CMessageMotion motion;
    motion.SetSizes(300, 200, 500, 21);
    const Motion run = Drive(motion, 11 * 80, false);
    ASSERT_GT(run.draws.size(), 45u);

    EXPECT_EQ(300, run.draws[0].x);  // enters at the right edge
    EXPECT_EQ(3, run.draws[0].y);
    for (std::size_t i = 1; i < run.draws.size(); ++i)
        EXPECT_EQ(11, run.drawTicks[i] - run.drawTicks[i - 1] - (run.draws[i].x == 300 ? 1 : 0)) << i;

    // The last position of a pass has the message (partly) in the left margin; the one
    // after it would be wholly past it.
    std::size_t last = 0;
    while (run.draws[last + 1].x != 300)
        ++last;
    EXPECT_GE(run.draws[last].x, -25 - 500);
    EXPECT_LT(run.draws[last].x - 20, -25 - 500);
    EXPECT_EQ(4, run.draws[last + 1].y);  // a new row for the new pass
}

TEST(MessageMotion, EmptyMessageDrawsOncePerPassAndAgainAfterAPaint)
{
    CMessageMotion motion;
    motion.SetSizes(100, 50, 0, 0);
    // One pass: 100 / 20 + 1 steps until x < -25 (x = 100, 80, ..., -20), then a new pass.
    const Motion run = Drive(motion, 11 * 14, true);
    ASSERT_EQ(2u, run.draws.size());
    EXPECT_EQ(100, run.draws[0].x);
    EXPECT_EQ(100, run.draws[1].x);

    CMessageMotion painted;
    painted.SetSizes(100, 50, 0, 0);
    const Motion afterPaint = Drive(painted, 11 * 4, true, 30);
    ASSERT_EQ(2u, afterPaint.draws.size());  // the step after the paint repaints everything
    EXPECT_EQ(60, afterPaint.draws[1].x);
}

} // namespace
