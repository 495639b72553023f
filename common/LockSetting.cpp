#include "common/LockSetting.h"

#include <tuple>

#include "common/PasswordDigest.h"

namespace {

auto MainFields(const CLockSetting& s)
{
    return std::tie(s.LockKeyRemoved, s.LockStartup, s.LockNoInput, s.LockNoInputSec, s.LockBmpFilePath,
                    s.LockMessage, s.UseScreenSaver, s.ScreenSaverSec, s.KeyType);
}

auto PasswordFields(const CPasswordSetting& p)
{
    return std::tie(p.UsePassword, p.Password, p.PasswordType, p.UtilityNeedPassword);
}

auto AlarmFields(const CAlarmSetting& a)
{
    return std::tie(a.UseAlarm, a.AlarmKeySec, a.AlarmKeyCount, a.AlarmMouseSec, a.AlarmMouseCount,
                    a.AlarmPasswordErrorCount, a.AlarmPlaySec, a.AlarmChangeBmp, a.AlarmBmpPath1, a.AlarmBmpPath2,
                    a.AlarmWavPath);
}

} // namespace

void CLockSetting::SetDefaults()
{
    *this = CLockSetting();
    LockKeyRemoved = 1;
    LockStartup = 1;
    LockNoInput = 1;
    LockNoInputSec = 10;
    ScreenSaverSec = 60;
    KeyType = 1;
    AlarmSetting.UseAlarm = 1;
    AlarmSetting.AlarmKeySec = 30;
    AlarmSetting.AlarmKeyCount = 10;
    AlarmSetting.AlarmMouseSec = 30;
    AlarmSetting.AlarmMouseCount = 10;
    AlarmSetting.AlarmPasswordErrorCount = 3;
    AlarmSetting.AlarmPlaySec = 30;
    AlarmSetting.AlarmChangeBmp = 1;
}

bool CPasswordSetting::IsPasswordMatch(const std::string& typed) const
{
    try {
        return CPasswordDigest::DigestText(typed) == Password;
    } catch (...) {
        return false;
    }
}

void CPasswordSetting::SetPassword(int usePassword, const std::string& password)
{
    UsePassword = usePassword;
    Password.clear();
    if (usePassword == 0)
        return;
    try {
        Password = CPasswordDigest::DigestText(password);
    } catch (...) {
        Password.clear();
    }
}

bool IsEqualSetting(const CLockSetting& a, const CLockSetting& b)
{
    return MainFields(a) == MainFields(b) && PasswordFields(a.PasswordSetting) == PasswordFields(b.PasswordSetting) &&
           IsEqualKeyDeviceList(a.KeyDevices, b.KeyDevices) && AlarmFields(a.AlarmSetting) == AlarmFields(b.AlarmSetting);
}

bool IsEqualKeyDeviceList(const CKeyDeviceList& a, const CKeyDeviceList& b)
{
    if (a.size() != b.size())
        return false;
    CKeyDeviceList unmatched = a;
    for (const CKeyDevice& device : b) {
        auto partner = unmatched.begin();
        while (partner != unmatched.end() && !IsSameKeyDevice(*partner, device))
            ++partner;
        if (partner == unmatched.end())
            return false;
        unmatched.erase(partner);
    }
    return unmatched.empty();
}
