#pragma once
// The settings record: every setting of the system but the lock state, which the
// settings file reads and writes beside it.
#include <string>

#include "common/KeyDevice.h"

class CPasswordSetting {
public:
    virtual ~CPasswordSetting() = default;

    // True when the digest text of `typed` equals the stored Password.
    bool IsPasswordMatch(const std::string& typed) const;
    // UsePassword takes the flag; Password becomes the digest text of `password`
    // when the flag is set, else empty. PasswordType and UtilityNeedPassword stay.
    void SetPassword(int usePassword, const std::string& password);

    int UsePassword = 0;
    std::string Password;  // digest text, never the password itself
    int PasswordType = 0;  // 1: password alone unlocks, 2: key and password; 0 unused
    int UtilityNeedPassword = 0;
};

class CAlarmSetting {
public:
    virtual ~CAlarmSetting() = default;

    int UseAlarm = 0;
    int AlarmKeySec = 0;
    int AlarmKeyCount = 0;
    int AlarmMouseSec = 0;
    int AlarmMouseCount = 0;
    int AlarmPasswordErrorCount = 0;
    int AlarmPlaySec = 0;
    int AlarmChangeBmp = 0;
    std::string AlarmBmpPath1;
    std::string AlarmBmpPath2;
    std::string AlarmWavPath;
};

// Built by its constructor it is the zero record (ints 0, texts empty, no keys);
// SetDefaults gives the values the programs start with.
class CLockSetting {
public:
    virtual ~CLockSetting() = default;

    void SetDefaults();

    int LockKeyRemoved = 0;
    int LockStartup = 0;
    int LockNoInput = 0;
    int LockNoInputSec = 0;
    std::string LockBmpFilePath;
    std::string LockMessage;
    int UseScreenSaver = 0;
    int ScreenSaverSec = 0;
    int KeyType = 0;  // 1: any one registered key unlocks; 2: all keys must be attached
    CPasswordSetting PasswordSetting;
    CKeyDeviceList KeyDevices;
    CAlarmSetting AlarmSetting;
};

bool IsEqualSetting(const CLockSetting& a, const CLockSetting& b);
// Same devices regardless of order; each device of one list answers one of the other.
bool IsEqualKeyDeviceList(const CKeyDeviceList& a, const CKeyDeviceList& b);
