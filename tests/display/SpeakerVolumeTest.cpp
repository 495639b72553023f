#include "display/SpeakerVolume.h"
#include "display/sim/SimDisplayMachine.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr DWORD kUntouchedVolume = 0x1234;
constexpr BOOL kUntouchedMute = 7;

struct VolumeCase {
    const char* name;
    const char* scenario;
    BOOL getResult;
    DWORD volumeRead;  // kUntouchedVolume when not written
    BOOL muteRead;     // kUntouchedMute when not written
    BOOL setResult;    // of SetVolume(0xFFFF, not muted)
    std::vector<std::string> writes;
};

void PrintTo(const VolumeCase& c, std::ostream* out)
{
    *out << c.name;
}

class SpeakerVolumeCases : public testing::TestWithParam<VolumeCase> {};

TEST_P(SpeakerVolumeCases, ReadsAndWritesAndAlwaysClosesTheMixer)
{
    const VolumeCase& c = GetParam();
    display::CSimDisplayMachine mixer;
    std::string error;
    ASSERT_TRUE(mixer.Load(c.scenario, error)) << error;
    CSpeakerVolume speakers(mixer);

    DWORD volume = kUntouchedVolume;
    BOOL mute = kUntouchedMute;
    EXPECT_EQ(c.getResult, speakers.GetVolume(&volume, &mute));
    EXPECT_EQ(c.volumeRead, volume);
    EXPECT_EQ(c.muteRead, mute);
    EXPECT_EQ(0, mixer.OpenMixers());

    const DWORD full = 0xFFFF;
    const BOOL notMuted = FALSE;
    EXPECT_EQ(c.setResult, speakers.SetVolume(&full, &notMuted));
    EXPECT_EQ(c.writes, mixer.Writes());
    EXPECT_EQ(0, mixer.OpenMixers());
}

INSTANTIATE_TEST_SUITE_P(
    Mixers, SpeakerVolumeCases,
    testing::Values(
        VolumeCase{"BothControls", "mixer\nvolume value=30000\nmute value=1\n", TRUE, 30000, 1, TRUE,
                   {"volume 65535", "mute 0"}},
        VolumeCase{"VolumeOnly", "mixer\nvolume value=30000\n", TRUE, 30000, kUntouchedMute, TRUE,
                   {"volume 65535"}},
        VolumeCase{"MuteOnly", "mixer\nmute value=1\n", TRUE, kUntouchedVolume, 1, TRUE, {"mute 0"}},
        VolumeCase{"NoControls", "mixer\n", TRUE, kUntouchedVolume, kUntouchedMute, TRUE, {}},
        VolumeCase{"NoMixer", "", FALSE, kUntouchedVolume, kUntouchedMute, FALSE, {}},
        VolumeCase{"NoDestinations", "mixer destinations=0\nvolume value=1\n", FALSE, kUntouchedVolume,
                   kUntouchedMute, FALSE, {}},
        VolumeCase{"CapsFail", "mixer caps=fail\nvolume value=1\n", FALSE, kUntouchedVolume, kUntouchedMute, FALSE,
                   {}},
        VolumeCase{"OpenFails", "mixer open=fail\nvolume value=1\n", FALSE, kUntouchedVolume, kUntouchedMute, FALSE,
                   {}},
        VolumeCase{"NoSpeakers", "mixer speakers=0\nvolume value=1\n", FALSE, kUntouchedVolume, kUntouchedMute,
                   FALSE, {}},
        VolumeCase{"SpeakersFail", "mixer speakers=fail\nvolume value=1\n", FALSE, kUntouchedVolume,
                   kUntouchedMute, FALSE, {}},
        VolumeCase{"ControlLookupFails", "mixer\nvolume value=5 find=fail\nmute value=1\n", TRUE, kUntouchedVolume,
                   1, TRUE, {"mute 0"}},
        // A failed volume read ends the reading: the mute switch is not read.
        VolumeCase{"VolumeReadFails", "mixer\nvolume value=5 read=fail\nmute value=1\n", FALSE, kUntouchedVolume,
                   kUntouchedMute, TRUE, {"volume 65535", "mute 0"}},
        VolumeCase{"MuteReadFails", "mixer\nvolume value=5\nmute value=1 read=fail\n", FALSE, 5, kUntouchedMute,
                   TRUE, {"volume 65535", "mute 0"}},
        // A failed volume write still unmutes the speakers, and is reported.
        VolumeCase{"VolumeWriteFails", "mixer\nvolume value=5 write=fail\nmute value=1\n", TRUE, 5, 1, FALSE,
                   {"mute 0"}},
        VolumeCase{"MuteWriteFails", "mixer\nvolume value=5\nmute value=1 write=fail\n", TRUE, 5, 1, FALSE,
                   {"volume 65535"}},
        // Full volume is the control's own maximum, whatever its range.
        VolumeCase{"NarrowRange", "mixer\nvolume value=40 min=0 max=100\nmute value=0\n", TRUE, 40, 0, TRUE,
                   {"volume 100", "mute 0"}}),
    [](const testing::TestParamInfo<VolumeCase>& info) { return std::string(info.param.name); });

TEST(SpeakerVolume, SettingTheValuesReadBeforeLeavesTheMixerAsItWas)
{
    display::CSimDisplayMachine mixer;
    std::string error;
    ASSERT_TRUE(mixer.Load("mixer\nvolume value=21000 min=10 max=60000\nmute value=1\n", error));
    CSpeakerVolume speakers(mixer);
    DWORD volume = 0;
    BOOL mute = FALSE;
    ASSERT_TRUE(speakers.GetVolume(&volume, &mute));
    const DWORD full = 0xFFFF;
    const BOOL notMuted = FALSE;
    ASSERT_TRUE(speakers.SetVolume(&full, &notMuted));
    EXPECT_EQ(60000u, mixer.Scenario().mixer.volume.value);
    EXPECT_EQ(0u, mixer.Scenario().mixer.mute.value);

    ASSERT_TRUE(speakers.SetVolume(&volume, &mute));
    EXPECT_EQ(21000u, mixer.Scenario().mixer.volume.value);
    EXPECT_EQ(1u, mixer.Scenario().mixer.mute.value);

    const DWORD tooLow = 0;
    ASSERT_TRUE(speakers.SetVolume(&tooLow, &mute));
    EXPECT_EQ(10u, mixer.Scenario().mixer.volume.value);
}

} // namespace
