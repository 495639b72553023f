#include "lockcore/SettingPayload.h"

#include "lockcore/PipeProtocol.h"

namespace {

bool ReadInt(CByteReader& reader, int& value)
{
    int32_t read = 0;
    if (!ReadInt32(reader, read))
        return false;
    value = read;
    return true;
}

template <typename... Ints>
bool ReadInts(CByteReader& reader, Ints&... values)
{
    return (ReadInt(reader, values) && ...);
}

template <typename... Ints>
void WriteInts(CByteWriter& writer, const Ints&... values)
{
    (WriteInt32(writer, values), ...);
}

} // namespace

int CSettingWriter::Write(CByteWriter& writer) const
{
    if (!m_settings)
        return 0;
    const CLockSetting& s = *m_settings;
    WriteInts(writer, s.LockKeyRemoved, s.LockStartup, s.LockNoInput, s.LockNoInputSec);
    WriteString(writer, s.LockBmpFilePath);
    WriteString(writer, s.LockMessage);
    WriteInts(writer, s.UseScreenSaver, s.ScreenSaverSec, s.KeyType);
    WritePassword(writer);
    WriteKeyDevices(writer);
    WriteAlarm(writer);
    return 1;
}

void CSettingWriter::WritePassword(CByteWriter& writer) const
{
    const CPasswordSetting& p = m_settings->PasswordSetting;
    WriteInt32(writer, p.UsePassword);
    WriteString(writer, p.Password);
    WriteInts(writer, p.PasswordType, p.UtilityNeedPassword);
}

void CSettingWriter::WriteKeyDevices(CByteWriter& writer) const
{
    const CKeyDeviceList& devices = m_settings->KeyDevices;
    WriteInt32(writer, static_cast<int32_t>(devices.size()));
    for (const CKeyDevice& device : devices)
        WriteKeyDevice(writer, device);
}

void CSettingWriter::WriteKeyDevice(CByteWriter& writer, const CKeyDevice& device)
{
    WriteUInt16(writer, device.m_vendorId);
    WriteUInt16(writer, device.m_productId);
    WriteString(writer, device.m_serialNumber);
}

void CSettingWriter::WriteAlarm(CByteWriter& writer) const
{
    const CAlarmSetting& a = m_settings->AlarmSetting;
    WriteInts(writer, a.UseAlarm, a.AlarmKeySec, a.AlarmKeyCount, a.AlarmMouseSec, a.AlarmMouseCount,
              a.AlarmPasswordErrorCount, a.AlarmPlaySec, a.AlarmChangeBmp);
    WriteString(writer, a.AlarmBmpPath1);
    WriteString(writer, a.AlarmBmpPath2);
    WriteString(writer, a.AlarmWavPath);
}

bool CSettingReader::Read(CByteReader& reader)
{
    if (!m_settings)
        return false;
    CLockSetting& s = *m_settings;
    return ReadInts(reader, s.LockKeyRemoved, s.LockStartup, s.LockNoInput, s.LockNoInputSec) &&
           ReadString(reader, s.LockBmpFilePath) && ReadString(reader, s.LockMessage) &&
           ReadInts(reader, s.UseScreenSaver, s.ScreenSaverSec, s.KeyType) && ReadPassword(reader) &&
           ReadKeyDevices(reader) && ReadAlarm(reader);
}

bool CSettingReader::ReadPassword(CByteReader& reader)
{
    CPasswordSetting& p = m_settings->PasswordSetting;
    return ReadInt(reader, p.UsePassword) && ReadString(reader, p.Password) &&
           ReadInts(reader, p.PasswordType, p.UtilityNeedPassword);
}

bool CSettingReader::ReadKeyDevices(CByteReader& reader)
{
    int32_t count = 0;
    if (!ReadInt32(reader, count))
        return false;
    m_settings->KeyDevices.clear();
    for (int32_t i = 0; i < count; ++i) {
        CKeyDevice device;
        if (!ReadUInt16(reader, device.m_vendorId) || !ReadUInt16(reader, device.m_productId) ||
            !ReadString(reader, device.m_serialNumber))
            return false;
        m_settings->KeyDevices.push_back(std::move(device));
    }
    return true;
}

bool CSettingReader::ReadAlarm(CByteReader& reader)
{
    CAlarmSetting& a = m_settings->AlarmSetting;
    return ReadInts(reader, a.UseAlarm, a.AlarmKeySec, a.AlarmKeyCount, a.AlarmMouseSec, a.AlarmMouseCount,
                    a.AlarmPasswordErrorCount, a.AlarmPlaySec, a.AlarmChangeBmp) &&
           ReadString(reader, a.AlarmBmpPath1) && ReadString(reader, a.AlarmBmpPath2) &&
           ReadString(reader, a.AlarmWavPath);
}

std::vector<uint8_t> EncodeSettingsRequest(const CLockSetting& settings)
{
    CByteWriter writer;
    WriteInt32(writer, PIPE_CMD_SETTINGS);
    CSettingWriter(&settings).Write(writer);
    return writer.Bytes();
}
