#pragma once
// The settings payload of PIPE_CMD_SETTINGS: every field of the settings record but the
// lock state, in a fixed order. The resident program writes it; the lock-screen program
// reads it back.
#include <cstdint>
#include <vector>

#include "common/LockSetting.h"
#include "lockcore/ByteStream.h"

class CSettingWriter {
public:
    explicit CSettingWriter(const CLockSetting* settings) : m_settings(settings) {}
    virtual ~CSettingWriter() = default;

    // 1 once the payload is written; 0, writing nothing, without a record.
    int Write(CByteWriter& writer) const;

private:
    void WritePassword(CByteWriter& writer) const;
    void WriteKeyDevices(CByteWriter& writer) const;
    static void WriteKeyDevice(CByteWriter& writer, const CKeyDevice& device);
    void WriteAlarm(CByteWriter& writer) const;

    const CLockSetting* m_settings;
};

class CSettingReader {
public:
    explicit CSettingReader(CLockSetting* settings) : m_settings(settings) {}
    virtual ~CSettingReader() = default;

    // Fills the record field by field; false at the first value that cannot be read whole
    // (the record then holds what was read so far). The payload's keys replace the
    // record's: a key count of 0 or less leaves none; the devices are added as they are
    // read, never reserved from the count. The caller checks for bytes left after the payload.
    bool Read(CByteReader& reader);

private:
    bool ReadPassword(CByteReader& reader);
    bool ReadKeyDevices(CByteReader& reader);
    bool ReadAlarm(CByteReader& reader);

    CLockSetting* m_settings;
};

// PIPE_CMD_SETTINGS with the record's payload.
std::vector<uint8_t> EncodeSettingsRequest(const CLockSetting& settings);
