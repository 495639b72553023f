#include "common/UnlockRule.h"

namespace unlockrule {

namespace {

bool NeedsKeyAndPassword(const CPasswordSetting& password)
{
    return PasswordInUse(password) && password.PasswordType == 2;
}

bool NeedsPassword(const CPasswordSetting& password)
{
    return PasswordInUse(password) && password.UtilityNeedPassword != 0;
}

} // namespace

bool PasswordInUse(const CPasswordSetting& password)
{
    return password.UsePassword != 0;
}

bool KeyAloneUnlocks(const CPasswordSetting& password)
{
    return !NeedsPassword(password) && !NeedsKeyAndPassword(password);
}

EPrompt Prompt(const CPasswordSetting& password, EPasswordPromptRule rule)
{
    if (NeedsKeyAndPassword(password))
        return EPrompt::KeyAndPassword;
    const bool asksPassword = rule == EPasswordPromptRule::ExactlyOne ? password.UtilityNeedPassword == 1
                                                                      : password.UtilityNeedPassword != 0;
    return PasswordInUse(password) && asksPassword ? EPrompt::Password : EPrompt::KeyOrPassword;
}

EAnswer Decide(const CPasswordSetting& password, ETrigger trigger, bool keyPresent, bool passwordRight)
{
    if (trigger == ETrigger::KeyChange)
        return KeyAloneUnlocks(password) && keyPresent ? EAnswer::Open : EAnswer::Wait;
    if (!PasswordInUse(password) || !passwordRight)
        return EAnswer::WrongPassword;
    switch (password.PasswordType) {
    case 1: return EAnswer::OpenByPassword;
    case 2: return keyPresent ? EAnswer::Open : EAnswer::KeyMissing;
    default: return EAnswer::Open;
    }
}

} // namespace unlockrule
