#include "display/sim/SimDisplayScenario.h"

#include <gtest/gtest.h>

namespace {

using display::SimDisplayScenario;

TEST(SimDisplayScenario, ReadsMonitorsScreenAndMixer)
{
    const std::string text =
        "# three monitors\n"
        "monitor left=0 top=0 right=640 bottom=512 primary=1\r\n"
        "monitor left=640 top=0 right=1280 bottom=512 flags=0x2\n"
        "monitor left=0 top=512 right=640 bottom=1024 fail=1\n"
        "screen width=1280 height=1024\n"
        "mixer open=fail speakers=0\n"
        "volume value=30000 min=10 max=100 write=fail\n"
        "mute value=1 find=fail\n";
    SimDisplayScenario scenario;
    std::string error;
    ASSERT_TRUE(display::ParseSimDisplayScenario(text, scenario, error)) << error;
    ASSERT_EQ(3u, scenario.monitors.size());
    EXPECT_EQ(1u, scenario.monitors[0].flags);
    EXPECT_EQ(640, scenario.monitors[1].left);
    EXPECT_EQ(2u, scenario.monitors[1].flags);
    EXPECT_TRUE(scenario.monitors[2].fails);
    EXPECT_EQ(1280, scenario.screenWidth);
    EXPECT_EQ(1u, scenario.mixer.devices);
    EXPECT_TRUE(scenario.mixer.openFails);
    EXPECT_FALSE(scenario.mixer.speakers);
    EXPECT_TRUE(scenario.mixer.volume.present);
    EXPECT_EQ(100u, scenario.mixer.volume.maximum);
    EXPECT_TRUE(scenario.mixer.volume.writeFails);
    EXPECT_FALSE(scenario.mixer.volume.readFails);
    EXPECT_TRUE(scenario.mixer.mute.findFails);
}

TEST(SimDisplayScenario, NoMixerLineMeansNoMixer)
{
    SimDisplayScenario scenario;
    std::string error;
    ASSERT_TRUE(display::ParseSimDisplayScenario("monitor right=10 bottom=10\n", scenario, error));
    EXPECT_EQ(0u, scenario.mixer.devices);
    EXPECT_EQ(-1, scenario.screenWidth);
}

TEST(SimDisplayScenario, BadLinesAreReportedAndLeaveNothing)
{
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"monitor left=0\nspeaker value=1\n", "line 2: unknown item \"speaker\""},
        {"monitor left=zero\n", "line 1: left=zero is not a number"},
        {"monitor lft=0\n", "line 1: unknown key \"lft\""},
        {"volume 5\n", "line 1: expected key=value, got \"5\""},
        {"volume value=-1\n", "line 1: value is out of range"},
    };
    for (const auto& c : cases) {
        SimDisplayScenario scenario;
        std::string error;
        EXPECT_FALSE(display::ParseSimDisplayScenario(c.text, scenario, error)) << c.text;
        EXPECT_EQ(c.error, error);
        EXPECT_TRUE(scenario.monitors.empty());
    }
}

} // namespace
