#include "lockcore/SettingPayload.h"

#include <gtest/gtest.h>

#include <random>

#include "lockcore/PipeProtocol.h"
#include "lockcore/RequestDispatch.h"
#include "tests/lockcore/Bytes.h"
#include "tests/lockcore/RecordingScreen.h"

namespace {

std::vector<uint8_t> Payload(const CLockSetting& settings)
{
    CByteWriter writer;
    EXPECT_EQ(1, CSettingWriter(&settings).Write(writer));
    return writer.Bytes();
}

bool ReadPayload(const std::vector<uint8_t>& bytes, CLockSetting& settings)
{
    CByteReader reader(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return CSettingReader(&settings).Read(reader) && reader.Remaining() == 0;
}

CLockSetting SampleRecord()
{
    CLockSetting s;
    s.SetDefaults();
    s.LockBmpFilePath = "C:\\p.bmp";
    s.LockMessage = "\x95\xDB\x91\xB6";
    s.PasswordSetting.UsePassword = 1;
    s.PasswordSetting.Password = "0123456789ABCDEF0123456789ABCDEF";
    s.PasswordSetting.PasswordType = 2;
    s.KeyDevices.push_back(CKeyDevice(0x0781, 0x5567, "AB12"));
    s.KeyDevices.push_back(CKeyDevice(0xFFFF, 1, ""));
    s.AlarmSetting.AlarmWavPath = "a.wav";
    return s;
}

TEST(SettingPayload, ZeroRecordIsNineteenIntsAndSixEmptyTexts)
{
    const CLockSetting zero;
    EXPECT_EQ(100u, Payload(zero).size());
    const auto request = EncodeSettingsRequest(zero);
    ASSERT_EQ(104u, request.size());
    EXPECT_EQ("0A 00 00 00", ToHex({request.begin(), request.begin() + 4}));
    CByteWriter writer;
    EXPECT_EQ(0, CSettingWriter(nullptr).Write(writer));
    EXPECT_EQ(0u, writer.Size());
}

TEST(SettingPayload, FieldsInTheirOrder)
{
    CLockSetting s;
    s.LockKeyRemoved = 1;
    s.LockNoInputSec = 10;
    s.LockMessage = "m";
    s.KeyType = 2;
    s.PasswordSetting.Password = "P";
    s.PasswordSetting.UtilityNeedPassword = 1;
    s.KeyDevices.push_back(CKeyDevice(0x1234, 0xABCD, "s"));
    s.AlarmSetting.UseAlarm = 1;
    s.AlarmSetting.AlarmChangeBmp = 3;
    s.AlarmSetting.AlarmWavPath = "w";
    EXPECT_EQ("01 00 00 00 00 00 00 00 00 00 00 00 0A 00 00 00 "  // lock conditions
              "00 00 00 00 01 00 00 00 6D "                        // picture, message
              "00 00 00 00 00 00 00 00 02 00 00 00 "               // screen saver, key type
              "00 00 00 00 01 00 00 00 50 00 00 00 00 01 00 00 00 "  // password group
              "01 00 00 00 34 12 CD AB 01 00 00 00 73 "            // one key device
              "01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
              "03 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00 77",  // alarm group
              ToHex(Payload(s)));
}

TEST(SettingPayload, RandomRecordsRoundTrip)
{
    std::mt19937 random(20240601);
    auto number = [&] { return static_cast<int>(random()); };
    auto text = [&] {
        std::string t(random() % 300, '\0');
        for (char& c : t)
            c = static_cast<char>(1 + random() % 255);  // any byte but NUL
        return t;
    };
    for (int round = 0; round < 200; ++round) {
        CLockSetting s;
        s.LockKeyRemoved = number(), s.LockStartup = number(), s.LockNoInput = number();
        s.LockNoInputSec = number(), s.LockBmpFilePath = text(), s.LockMessage = text();
        s.UseScreenSaver = number(), s.ScreenSaverSec = number(), s.KeyType = number();
        s.PasswordSetting.UsePassword = number(), s.PasswordSetting.Password = text();
        s.PasswordSetting.PasswordType = number(), s.PasswordSetting.UtilityNeedPassword = number();
        for (unsigned i = random() % 5; i > 0; --i)
            s.KeyDevices.push_back(CKeyDevice(static_cast<uint16_t>(random()), static_cast<uint16_t>(random()), text()));
        CAlarmSetting& a = s.AlarmSetting;
        a.UseAlarm = number(), a.AlarmKeySec = number(), a.AlarmKeyCount = number(), a.AlarmMouseSec = number();
        a.AlarmMouseCount = number(), a.AlarmPasswordErrorCount = number(), a.AlarmPlaySec = number();
        a.AlarmChangeBmp = number(), a.AlarmBmpPath1 = text(), a.AlarmBmpPath2 = text(), a.AlarmWavPath = text();

        CLockSetting read;
        ASSERT_TRUE(ReadPayload(Payload(s), read)) << round;
        EXPECT_TRUE(IsEqualSetting(s, read)) << round;
        EXPECT_EQ(s.KeyDevices.size(), read.KeyDevices.size());
    }
}

TEST(SettingPayload, KeyCountOfZeroOrLessGivesNoDevice)
{
    CLockSetting s = SampleRecord();
    s.KeyDevices.clear();
    auto bytes = Payload(s);
    // The key count stands after 13 fields: 10 ints and 3 texts.
    const size_t countAt = 10 * 4 + (4 + s.LockBmpFilePath.size()) + (4 + s.LockMessage.size()) +
                           (4 + s.PasswordSetting.Password.size());
    ASSERT_EQ("00 00 00 00", ToHex({bytes.begin() + countAt, bytes.begin() + countAt + 4}));
    bytes[countAt] = 0xFF, bytes[countAt + 1] = 0xFF, bytes[countAt + 2] = 0xFF, bytes[countAt + 3] = 0xFF;
    CLockSetting read;
    ASSERT_TRUE(ReadPayload(bytes, read));
    EXPECT_TRUE(IsEqualSetting(s, read));
}

// A record read into twice (a second settings command to the same display) holds the
// last payload's keys, not both lists.
TEST(SettingPayload, ReadingReplacesTheKeysTheRecordHeld)
{
    const CLockSetting sample = SampleRecord();
    CLockSetting read = sample;
    read.KeyDevices.push_back(CKeyDevice(1, 2, "old"));
    ASSERT_TRUE(ReadPayload(Payload(sample), read));
    EXPECT_TRUE(IsEqualSetting(sample, read));
    ASSERT_EQ(2u, read.KeyDevices.size());

    CLockSetting none = sample;
    none.KeyDevices.clear();
    ASSERT_TRUE(ReadPayload(Payload(none), read));
    EXPECT_TRUE(read.KeyDevices.empty());
}

TEST(SettingPayload, MalformedPayloadsAreRejectedWholeByTheCommandServer)
{
    const CLockSetting sample = SampleRecord();
    const auto good = EncodeSettingsRequest(sample);
    const size_t countAt = 4 + 10 * 4 + (4 + 8) + (4 + 4) + (4 + 32);
    auto withCount = [&](uint32_t count) {
        auto bytes = good;
        for (int i = 0; i < 4; ++i)
            bytes[countAt + i] = static_cast<uint8_t>(count >> (8 * i));
        return bytes;
    };
    auto withByte = [&](size_t at, uint8_t value) {
        auto bytes = good;
        bytes[at] = value;
        return bytes;
    };
    struct Case {
        const char* name;
        std::vector<uint8_t> request;
    } cases[] = {
        {"cut short in the alarm part", {good.begin(), good.end() - 5}},
        {"cut short in the first field", {good.begin(), good.begin() + 6}},
        {"a byte too many", [&] { auto b = good; b.push_back(0); return b; }()},
        {"text longer than the bytes left", withByte(4 + 16 + 1, 0x7F)},          // LockBmpFilePath
        {"negative text length", withByte(4 + 16 + 3, 0x80)},
        {"key count larger than the devices sent", withCount(3)},
        {"huge key count", withCount(0x7FFFFFFF)},
        {"key count smaller than the devices sent", withCount(1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingScreen screen;
        EXPECT_EQ("02 00 00 00", ToHex(DispatchCommandRequest(c.request.data(), c.request.size(), &screen)));
        EXPECT_TRUE(screen.Calls().empty());
    }
    RecordingScreen screen;
    EXPECT_EQ("00 00 00 00", ToHex(DispatchCommandRequest(good.data(), good.size(), &screen)));
    EXPECT_EQ(std::vector<std::string>{"SetSettings"}, screen.Calls());
    EXPECT_TRUE(IsEqualSetting(sample, screen.lastSettings));
}

} // namespace
