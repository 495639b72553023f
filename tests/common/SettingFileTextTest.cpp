#include <gtest/gtest.h>

#include <string>

#include "common/SettingFile.h"

namespace {

CLockSetting SampleSetting()
{
    CLockSetting s;
    s.SetDefaults();
    s.LockMessage = "\x83\x8D\x83\x62\x83\x4E\x92\x86";  // ロック中
    s.UseScreenSaver = 1;
    s.KeyType = 2;
    s.PasswordSetting.SetPassword(1, "secret");
    s.PasswordSetting.PasswordType = 2;
    s.AlarmSetting.AlarmWavPath = "C:\\\x95\x5C\\alarm.wav";  // 表 ends in 0x5C
    s.KeyDevices = {{0x0781, 0x5567, "4C530001"}, {0xFFFF, 1, ""}};
    return s;
}

const char kSampleText[] =
    "[Setting]\r\n"
    "LockKeyRemoved=1\r\n"
    "LockStartup=1\r\n"
    "LockNoInput=1\r\n"
    "LockNoInputSec=10\r\n"
    "LockMessage=\x83\x8D\x83\x62\x83\x4E\x92\x86\r\n"
    "UseScreenSaver=1\r\n"
    "ScreenSaverSec=60\r\n"
    "KeyType=2\r\n"
    "UsePassword=1\r\n"
    "Password=5EBE2294ECD0E0F08EAB7690D2A6EE69\r\n"
    "PasswordType=2\r\n"
    "UtilityNeedPassword=0\r\n"
    "UseAlarm=1\r\n"
    "AlarmKeySec=30\r\n"
    "AlarmKeyCount=10\r\n"
    "AlarmMouseSec=30\r\n"
    "AlarmMouseCount=10\r\n"
    "AlarmPasswordErrorCount=3\r\n"
    "AlarmPlaySec=30\r\n"
    "AlarmChangeBmp=1\r\n"
    "AlarmWavPath=C:\\\x95\x5C\\alarm.wav\r\n"
    "Lock=1\r\n"
    "\r\n"
    "[Device-0]\r\n"
    "VendorId=1921\r\n"
    "ProductId=21863\r\n"
    "SerialNumber=4C530001\r\n"
    "\r\n"
    "[Device-1]\r\n"
    "VendorId=65535\r\n"
    "ProductId=1\r\n"
    "\r\n";

TEST(SettingFileText, GoldenTextAndRoundTrip)
{
    const CLockSetting sample = SampleSetting();
    const int lock = 1;
    EXPECT_EQ(kSampleText, CSettingFile::Serialize(&sample, &lock));

    CLockSetting read;
    int readLock = -7;
    CSettingFile::Parse(&read, &readLock, kSampleText);
    EXPECT_TRUE(IsEqualSetting(sample, read));
    EXPECT_EQ(1, readLock);

    EXPECT_EQ("[Setting]\r\nLock=0\r\n\r\n", [] { int l = 0; return CSettingFile::Serialize(nullptr, &l); }());
    CLockSetting zero;
    EXPECT_EQ(std::string::npos, CSettingFile::Serialize(&zero, nullptr).find("Lock="));
}

TEST(SettingFileText, WritesValuesAsTheyStand)
{
    CLockSetting s;
    s.LockNoInputSec = -5;
    s.KeyType = 7;
    const std::string text = CSettingFile::Serialize(&s, nullptr);
    EXPECT_NE(std::string::npos, text.find("\r\nLockNoInputSec=-5\r\n"));
    EXPECT_NE(std::string::npos, text.find("\r\nKeyType=7\r\n"));
    EXPECT_EQ(std::string::npos, text.find("LockBmpFilePath"));
    EXPECT_EQ(std::string::npos, text.find("Device-"));
}

// Reads `body` (lines of section Setting) into a record that starts from defaults.
CLockSetting ReadSetting(const std::string& body)
{
    CLockSetting s;
    s.SetDefaults();
    s.KeyDevices = {{9, 9, "old"}};
    CSettingFile::Parse(&s, nullptr, "[Setting]\r\n" + body);
    return s;
}

TEST(SettingFileText, IntAndClampTable)
{
    struct Case {
        std::string body;
        int keyType, passwordType, noInputSec;
    } cases[] = {
        {"", 1, 0, 10},  // absent ints keep their values
        {"KeyType=2", 2, 0, 10},
        {"KeyType=0", 1, 0, 10},
        {"KeyType=3", 1, 0, 10},
        {"KeyType=-1", 1, 0, 10},
        {"KeyType=x", 1, 0, 10},
        {"KeyType= 2abc", 2, 0, 10},
        {"KeyType=+2", 2, 0, 10},
        {"UsePassword=1\r\nPasswordType=5", 1, 1, 10},
        {"UsePassword=0\r\nPasswordType=5", 1, 0, 10},
        {"UsePassword=1\r\nPasswordType=-1", 1, 1, 10},
        {"UsePassword=1\r\nPasswordType=x", 1, 0, 10},
        {"PasswordType=2", 1, 2, 10},
        {"LockNoInputSec=\t-30s", 1, 0, -30},
        {"LockNoInputSec=99999999999", 1, 0, 2147483647},
        {"LockNoInputSec=-99999999999", 1, 0, -2147483647 - 1},
        {"LockNoInputSec=--1", 1, 0, 0},
    };
    for (const Case& c : cases) {
        const CLockSetting s = ReadSetting(c.body);
        EXPECT_EQ(c.keyType, s.KeyType) << c.body;
        EXPECT_EQ(c.passwordType, s.PasswordSetting.PasswordType) << c.body;
        EXPECT_EQ(c.noInputSec, s.LockNoInputSec) << c.body;
    }
}

TEST(SettingFileText, TextKeysAbsentReadEmpty)
{
    CLockSetting s;
    s.LockMessage = "old";
    s.AlarmSetting.AlarmBmpPath1 = "old";
    CSettingFile::Parse(&s, nullptr, "[Setting]\r\nLockMessage=\r\nAlarmBmpPath2=b.bmp");
    EXPECT_EQ("", s.LockMessage);
    EXPECT_EQ("", s.AlarmSetting.AlarmBmpPath1);
    EXPECT_EQ("b.bmp", s.AlarmSetting.AlarmBmpPath2);
}

TEST(SettingFileText, KeyDeviceTable)
{
    struct Case {
        const char* name;
        std::string text;
        CKeyDeviceList devices;
    } cases[] = {
        {"none", "[Setting]\r\nLock=0", {}},
        {"gap stops", "[Device-0]\nVendorId=1\nProductId=2\n[Device-2]\nVendorId=3\nProductId=4", {{1, 2, ""}}},
        {"missing product id", "[Device-0]\nVendorId=1\n[Device-1]\nVendorId=3\nProductId=4", {}},
        {"low 16 bits", "[Device-0]\nVendorId=65537\nProductId=-1\nSerialNumber=S", {{1, 0xFFFF, "S"}}},
        {"non-number ids read 0", "[Device-0]\nVendorId=x\nProductId=y", {{0, 0, ""}}},
        {"no line end at the end", "[Device-0]\r\nVendorId=5\r\nProductId=6\r\nSerialNumber=abc", {{5, 6, "abc"}}},
    };
    for (const Case& c : cases) {
        CLockSetting s;
        s.KeyDevices = {{9, 9, "old"}};
        CSettingFile::Parse(&s, nullptr, c.text);
        ASSERT_EQ(c.devices.size(), s.KeyDevices.size()) << c.name;
        for (std::size_t i = 0; i < c.devices.size(); ++i) {
            EXPECT_EQ(c.devices[i].m_vendorId, s.KeyDevices[i].m_vendorId) << c.name;
            EXPECT_EQ(c.devices[i].m_productId, s.KeyDevices[i].m_productId) << c.name;
            EXPECT_EQ(c.devices[i].m_serialNumber, s.KeyDevices[i].m_serialNumber) << c.name;
        }
    }
}

TEST(SettingFileText, ThousandsOfDevicesLoad)
{
    std::string text = "[Setting]\r\nKeyType=1\r\n\r\n";
    for (int n = 0; n < 5000; ++n)
        text += "[Device-" + std::to_string(n) + "]\r\nVendorId=" + std::to_string(n) + "\r\nProductId=1\r\n\r\n";
    CLockSetting s;
    CSettingFile::Parse(&s, nullptr, text);
    ASSERT_EQ(5000u, s.KeyDevices.size());
    EXPECT_EQ(4999, s.KeyDevices.back().m_vendorId);
    const std::string written = CSettingFile::Serialize(&s, nullptr);
    EXPECT_EQ(text.substr(text.find("[Device-0]")), written.substr(written.find("[Device-0]")));
}

TEST(SettingFileText, LockStateReadsOnlyWhenPresent)
{
    int lock = 5;
    CSettingFile::Parse(nullptr, &lock, "[Setting]\r\nKeyType=2\r\n");
    EXPECT_EQ(5, lock);
    CSettingFile::Parse(nullptr, &lock, "[Other]\r\nLock=1\r\n");
    EXPECT_EQ(5, lock);
    CSettingFile::Parse(nullptr, &lock, "[Setting]\r\nLock=1");
    EXPECT_EQ(1, lock);
}

TEST(SettingFileText, LockStateUpdateChangesOnlyLock)
{
    struct Case {
        const char* name;
        std::string before, after;
    } cases[] = {
        {"no file", "", "[Setting]\r\nLock=1\r\n\r\n"},
        {"appended last", "[Setting]\r\nKeyType=2\r\n\r\n", "[Setting]\r\nKeyType=2\r\nLock=1\r\n\r\n"},
        {"in place", "[Setting]\r\nLock=0\r\nKeyType=2\r\n\r\n", "[Setting]\r\nLock=1\r\nKeyType=2\r\n\r\n"},
        // Keys the record does not know, other sections, missing ints and
        // out-of-range values all survive.
        {"unknown content", "[Setting]\r\nKeyType=9\r\nFuture=x\r\n\r\n[Extra]\r\na=b\r\n\r\n",
         "[Setting]\r\nKeyType=9\r\nFuture=x\r\nLock=1\r\n\r\n[Extra]\r\na=b\r\n\r\n"},
        {"no Setting section", "[Device-0]\r\nVendorId=1\r\nProductId=2\r\n\r\n",
         "[Device-0]\r\nVendorId=1\r\nProductId=2\r\n\r\n[Setting]\r\nLock=1\r\n\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.after, CSettingFile::SetLockStateInText(c.before, 1)) << c.name;
}

TEST(SettingFileText, PathJoinsCodePageAware)
{
    struct Case {
        std::string folder, path;
    } cases[] = {
        {"C:\\data", "C:\\data\\Corvantis.ini"},
        {"C:\\data\\", "C:\\data\\Corvantis.ini"},
        {"", "\\Corvantis.ini"},
        {"C:\\\x95\x5C", "C:\\\x95\x5C\\Corvantis.ini"},  // 表 ends in 0x5C, which is no "\"
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.path, CSettingFile(c.folder, CSettingFile::kFileName).GetPath()) << c.folder;
}

} // namespace
