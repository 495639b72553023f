// The settings file's content rules.

#include "common/IniDocument.h"
#include "common/PathText.h"
#include "common/SettingFile.h"

namespace {

constexpr const char* kSetting = "Setting";
constexpr const char* kLock = "Lock";

std::string DeviceSectionName(std::size_t n)
{
    return "Device-" + std::to_string(n);
}

// Reads the int key when the section holds it; else the field keeps its value.
bool ReadInt(const CIniKeyList* section, std::string_view key, int& field)
{
    const std::string* value = section ? CIniDocument::FindKey(*section, key) : nullptr;
    if (value)
        field = CIniDocument::ReadLeadingInt(*value);
    return value != nullptr;
}

// An absent text key reads as an empty text.
void ReadTextKey(const CIniKeyList* section, std::string_view key, std::string& field)
{
    const std::string* value = section ? CIniDocument::FindKey(*section, key) : nullptr;
    field = value ? *value : std::string();
}

void ParseMainSettings(const CIniKeyList* s, CLockSetting& setting)
{
    ReadInt(s, "LockKeyRemoved", setting.LockKeyRemoved);
    ReadInt(s, "LockStartup", setting.LockStartup);
    ReadInt(s, "LockNoInput", setting.LockNoInput);
    ReadInt(s, "LockNoInputSec", setting.LockNoInputSec);
    ReadTextKey(s, "LockBmpFilePath", setting.LockBmpFilePath);
    ReadTextKey(s, "LockMessage", setting.LockMessage);
    ReadInt(s, "UseScreenSaver", setting.UseScreenSaver);
    ReadInt(s, "ScreenSaverSec", setting.ScreenSaverSec);
    if (ReadInt(s, "KeyType", setting.KeyType) && (setting.KeyType < 1 || setting.KeyType > 2))
        setting.KeyType = 1;
}

void ParsePasswordSettings(const CIniKeyList* s, CPasswordSetting& password)
{
    ReadInt(s, "UsePassword", password.UsePassword);
    ReadTextKey(s, "Password", password.Password);
    if (ReadInt(s, "PasswordType", password.PasswordType) && (password.PasswordType < 0 || password.PasswordType > 2))
        password.PasswordType = password.UsePassword != 0 ? 1 : 0;
    ReadInt(s, "UtilityNeedPassword", password.UtilityNeedPassword);
}

// Device-0, Device-1, ... up to the first section that lacks VendorId or ProductId.
void ParseKeyDevices(const CIniDocument& document, CKeyDeviceList& devices)
{
    devices.clear();
    for (std::size_t n = 0;; ++n) {
        const CIniKeyList* section = document.FindSection(DeviceSectionName(n));
        int vendorId = 0, productId = 0;
        if (!ReadInt(section, "VendorId", vendorId) || !ReadInt(section, "ProductId", productId))
            return;
        CKeyDevice device(std::uint16_t(vendorId), std::uint16_t(productId), {});
        ReadTextKey(section, "SerialNumber", device.m_serialNumber);
        devices.push_back(std::move(device));
    }
}

void SerializeMainSettings(CIniDocument& d, const CLockSetting& setting)
{
    d.SetInt(kSetting, "LockKeyRemoved", setting.LockKeyRemoved);
    d.SetInt(kSetting, "LockStartup", setting.LockStartup);
    d.SetInt(kSetting, "LockNoInput", setting.LockNoInput);
    d.SetInt(kSetting, "LockNoInputSec", setting.LockNoInputSec);
    d.SetValue(kSetting, "LockBmpFilePath", setting.LockBmpFilePath);
    d.SetValue(kSetting, "LockMessage", setting.LockMessage);
    d.SetInt(kSetting, "UseScreenSaver", setting.UseScreenSaver);
    d.SetInt(kSetting, "ScreenSaverSec", setting.ScreenSaverSec);
    d.SetInt(kSetting, "KeyType", setting.KeyType);
}

void SerializePasswordSettings(CIniDocument& d, const CPasswordSetting& password)
{
    d.SetInt(kSetting, "UsePassword", password.UsePassword);
    d.SetValue(kSetting, "Password", password.Password);
    d.SetInt(kSetting, "PasswordType", password.PasswordType);
    d.SetInt(kSetting, "UtilityNeedPassword", password.UtilityNeedPassword);
}

void SerializeKeyDevices(CIniDocument& d, const CKeyDeviceList& devices)
{
    for (std::size_t n = 0; n < devices.size(); ++n) {
        const std::string section = DeviceSectionName(n);
        d.SetInt(section, "VendorId", devices[n].m_vendorId);
        d.SetInt(section, "ProductId", devices[n].m_productId);
        d.SetValue(section, "SerialNumber", devices[n].m_serialNumber);
    }
}

} // namespace

CSettingFile::CSettingFile(const std::string& folder, const std::string& fileName)
{
    SetPath(folder, fileName);
}

CSettingFile::CSettingFile(const std::string& folder, const std::string& fileName, const CFileSwap& swap)
    : m_swap(&swap)
{
    SetPath(folder, fileName);
}

void CSettingFile::SetPath(const std::string& folder, const std::string& fileName)
{
    m_path = PathText::AppendBackslash(folder) + fileName;
}

std::string CSettingFile::Serialize(const CLockSetting* setting, const int* lock)
{
    CIniDocument document;
    if (setting) {
        SerializeMainSettings(document, *setting);
        SerializePasswordSettings(document, setting->PasswordSetting);
        SerializeAlarm(document, setting->AlarmSetting);
        SerializeKeyDevices(document, setting->KeyDevices);
    }
    if (lock)
        document.SetInt(kSetting, kLock, *lock);
    std::string text;
    document.Write(text);
    return text;
}

void CSettingFile::SerializeAlarm(CIniDocument& d, const CAlarmSetting& alarm)
{
    d.SetInt(kSetting, "UseAlarm", alarm.UseAlarm);
    d.SetInt(kSetting, "AlarmKeySec", alarm.AlarmKeySec);
    d.SetInt(kSetting, "AlarmKeyCount", alarm.AlarmKeyCount);
    d.SetInt(kSetting, "AlarmMouseSec", alarm.AlarmMouseSec);
    d.SetInt(kSetting, "AlarmMouseCount", alarm.AlarmMouseCount);
    d.SetInt(kSetting, "AlarmPasswordErrorCount", alarm.AlarmPasswordErrorCount);
    d.SetInt(kSetting, "AlarmPlaySec", alarm.AlarmPlaySec);
    d.SetInt(kSetting, "AlarmChangeBmp", alarm.AlarmChangeBmp);
    d.SetValue(kSetting, "AlarmBmpPath1", alarm.AlarmBmpPath1);
    d.SetValue(kSetting, "AlarmBmpPath2", alarm.AlarmBmpPath2);
    d.SetValue(kSetting, "AlarmWavPath", alarm.AlarmWavPath);
}

void CSettingFile::Parse(CLockSetting* setting, int* lock, std::string_view text)
{
    CIniDocument document;
    document.Parse(text);
    const CIniKeyList* section = document.FindSection(kSetting);
    if (setting) {
        ParseMainSettings(section, *setting);
        ParsePasswordSettings(section, setting->PasswordSetting);
        ParseAlarm(section, setting->AlarmSetting);
        ParseKeyDevices(document, setting->KeyDevices);
    }
    if (lock)
        ReadInt(section, kLock, *lock);
}

void CSettingFile::ParseAlarm(const CIniKeyList* s, CAlarmSetting& alarm)
{
    ReadInt(s, "UseAlarm", alarm.UseAlarm);
    ReadInt(s, "AlarmKeySec", alarm.AlarmKeySec);
    ReadInt(s, "AlarmKeyCount", alarm.AlarmKeyCount);
    ReadInt(s, "AlarmMouseSec", alarm.AlarmMouseSec);
    ReadInt(s, "AlarmMouseCount", alarm.AlarmMouseCount);
    ReadInt(s, "AlarmPasswordErrorCount", alarm.AlarmPasswordErrorCount);
    ReadInt(s, "AlarmPlaySec", alarm.AlarmPlaySec);
    ReadInt(s, "AlarmChangeBmp", alarm.AlarmChangeBmp);
    ReadTextKey(s, "AlarmBmpPath1", alarm.AlarmBmpPath1);
    ReadTextKey(s, "AlarmBmpPath2", alarm.AlarmBmpPath2);
    ReadTextKey(s, "AlarmWavPath", alarm.AlarmWavPath);
}

std::string CSettingFile::SetLockStateInText(std::string_view text, int lock)
{
    CIniDocument document;
    document.Parse(text);
    document.SetInt(kSetting, kLock, lock);
    std::string updated;
    document.Write(updated);
    return updated;
}
