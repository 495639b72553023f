#pragma once
// Who may pass the key-or-password check that guards the settings utility and the
// uninstall: by the password settings, whether a registered key is attached and whether
// the typed password is right. UtilityNeedPassword counts only while a password is in
// use; without one it would refuse every password and so let nobody through.
#include "common/LockSetting.h"

namespace unlockrule {

enum class EPrompt {
    KeyOrPassword,   // the key alone, or the password
    Password,        // the password is required
    KeyAndPassword,  // both together
};

// Which UtilityNeedPassword values show the password prompt: the utility's dialog asks
// for the password on any non-zero value, the uninstall dialog only on 1.
enum class EPasswordPromptRule { AnyNonZero, ExactlyOne };

enum class EAnswer {
    Wait,            // nothing to say; the dialog stays open
    Open,            // passed
    OpenByPassword,  // passed by the password alone (PasswordType 1)
    WrongPassword,   // wrong password, or no password in use
    KeyMissing,      // right password, but the key must be attached too
};

enum class ETrigger {
    KeyChange,      // the attached devices changed (or the dialog opened)
    PasswordTyped,  // OK with the typed password
};

// A password is in use when UsePassword is not 0 (the password check reads it so).
bool PasswordInUse(const CPasswordSetting& password);
// The attached key alone lets the user through.
bool KeyAloneUnlocks(const CPasswordSetting& password);
EPrompt Prompt(const CPasswordSetting& password, EPasswordPromptRule rule);
// `passwordRight`: the typed text's digest equals the stored Password.
EAnswer Decide(const CPasswordSetting& password, ETrigger trigger, bool keyPresent, bool passwordRight);

} // namespace unlockrule
