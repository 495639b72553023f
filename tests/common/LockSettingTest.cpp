#include <gtest/gtest.h>

#include <functional>

#include "common/LockSetting.h"

namespace {

TEST(LockSetting, ConstructedRecordIsZeroAndDefaultsDiffer)
{
    const CLockSetting zero;
    EXPECT_EQ(0, zero.KeyType);
    EXPECT_EQ(0, zero.AlarmSetting.UseAlarm);
    EXPECT_TRUE(zero.KeyDevices.empty());

    CLockSetting defaults;
    defaults.SetDefaults();
    EXPECT_EQ(1, defaults.LockKeyRemoved);
    EXPECT_EQ(10, defaults.LockNoInputSec);
    EXPECT_EQ(60, defaults.ScreenSaverSec);
    EXPECT_EQ(3, defaults.AlarmSetting.AlarmPasswordErrorCount);
    EXPECT_EQ(0, defaults.PasswordSetting.UsePassword);
    EXPECT_FALSE(IsEqualSetting(zero, defaults));
}

// Each change makes a record unequal to an unchanged copy.
TEST(LockSetting, EveryFieldTakesPartInEquality)
{
    const std::function<void(CLockSetting&)> changes[] = {
        [](CLockSetting& s) { s.LockKeyRemoved = 1; },
        [](CLockSetting& s) { s.LockStartup = 1; },
        [](CLockSetting& s) { s.LockNoInput = 1; },
        [](CLockSetting& s) { s.LockNoInputSec = 1; },
        [](CLockSetting& s) { s.LockBmpFilePath = std::string("a.bmp"); },
        [](CLockSetting& s) { s.LockMessage = std::string("msg"); },
        [](CLockSetting& s) { s.UseScreenSaver = 1; },
        [](CLockSetting& s) { s.ScreenSaverSec = 1; },
        [](CLockSetting& s) { s.KeyType = 1; },
        [](CLockSetting& s) { s.PasswordSetting.UsePassword = 1; },
        [](CLockSetting& s) { s.PasswordSetting.Password = std::string("x"); },
        [](CLockSetting& s) { s.PasswordSetting.PasswordType = 1; },
        [](CLockSetting& s) { s.PasswordSetting.UtilityNeedPassword = 1; },
        [](CLockSetting& s) { s.KeyDevices.push_back({1, 2, ""}); },
        [](CLockSetting& s) { s.AlarmSetting.UseAlarm = 1; },
        [](CLockSetting& s) { s.AlarmSetting.AlarmKeySec = 1; },
        [](CLockSetting& s) { s.AlarmSetting.AlarmKeyCount = 1; },
        [](CLockSetting& s) { s.AlarmSetting.AlarmMouseSec = 1; },
        [](CLockSetting& s) { s.AlarmSetting.AlarmMouseCount = 1; },
        [](CLockSetting& s) { s.AlarmSetting.AlarmPasswordErrorCount = 1; },
        [](CLockSetting& s) { s.AlarmSetting.AlarmPlaySec = 1; },
        [](CLockSetting& s) { s.AlarmSetting.AlarmChangeBmp = 1; },
        [](CLockSetting& s) { s.AlarmSetting.AlarmBmpPath1 = std::string("1"); },
        [](CLockSetting& s) { s.AlarmSetting.AlarmBmpPath2 = std::string("2"); },
        [](CLockSetting& s) { s.AlarmSetting.AlarmWavPath = std::string("w"); },
    };
    int index = 0;
    for (const auto& change : changes) {
        CLockSetting changed;
        change(changed);
        EXPECT_FALSE(IsEqualSetting(CLockSetting(), changed)) << "change " << index;
        EXPECT_TRUE(IsEqualSetting(changed, CLockSetting(changed))) << "change " << index;
        ++index;
    }
}

TEST(LockSetting, TextsCompareWithCaseButSerialsWithout)
{
    CLockSetting a, b;
    a.LockMessage = "abc";
    b.LockMessage = "ABC";
    EXPECT_FALSE(IsEqualSetting(a, b));

    b.LockMessage = "abc";
    a.KeyDevices = {{1, 2, "abc"}};
    b.KeyDevices = {{1, 2, "ABC"}};
    EXPECT_TRUE(IsEqualSetting(a, b));
}

TEST(LockSetting, KeyListEqualityIsOneToOne)
{
    const CKeyDevice a{1, 2, "A"}, b{1, 2, "B"}, aLower{1, 2, "a"};
    struct Case {
        CKeyDeviceList x, y;
        bool equal;
    } cases[] = {
        {{}, {}, true},
        {{a, b}, {b, a}, true},
        {{a, a}, {a, b}, false},
        {{a, b}, {a, a}, false},
        {{a, a}, {a, aLower}, true},
        {{a}, {a, a}, false},
        {{a}, {b}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.equal, IsEqualKeyDeviceList(c.x, c.y)) << c.x.size() << " / " << c.y.size();
}

} // namespace
