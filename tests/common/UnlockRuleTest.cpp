// The key-or-password check of the utility's unlock dialog and the uninstall dialog.
#include <gtest/gtest.h>

#include "common/UnlockRule.h"

namespace {

using unlockrule::EAnswer;
using unlockrule::EPasswordPromptRule;
using unlockrule::EPrompt;
using unlockrule::ETrigger;

CPasswordSetting Password(int usePassword, int passwordType, int utilityNeedPassword)
{
    CPasswordSetting password;
    password.UsePassword = usePassword;
    password.PasswordType = passwordType;
    password.UtilityNeedPassword = utilityNeedPassword;
    return password;
}

struct SCase {
    int usePassword, passwordType, utilityNeedPassword;
    bool keyPresent, passwordRight;
    EAnswer onKey, onPassword;
};

constexpr SCase kCases[] = {
    // key alone, or the password of any type but 2
    {1, 0, 0, true, false, EAnswer::Open, EAnswer::WrongPassword},
    {1, 0, 0, false, true, EAnswer::Wait, EAnswer::Open},
    {1, 1, 0, false, true, EAnswer::Wait, EAnswer::OpenByPassword},
    {1, 1, 0, true, true, EAnswer::Open, EAnswer::OpenByPassword},
    // the utility needs the password: the key alone never passes, whatever the value
    {1, 1, 1, true, false, EAnswer::Wait, EAnswer::WrongPassword},
    {1, 1, 1, true, true, EAnswer::Wait, EAnswer::OpenByPassword},
    {1, 0, 2, true, true, EAnswer::Wait, EAnswer::Open},
    // key and password together
    {1, 2, 0, true, false, EAnswer::Wait, EAnswer::WrongPassword},
    {1, 2, 0, false, true, EAnswer::Wait, EAnswer::KeyMissing},
    {1, 2, 0, true, true, EAnswer::Wait, EAnswer::Open},
    {1, 2, 1, true, true, EAnswer::Wait, EAnswer::Open},
    // no password in use: no password passes, the key does; UtilityNeedPassword and
    // PasswordType do not count (with them counting, nobody could pass at all)
    {0, 0, 0, true, true, EAnswer::Open, EAnswer::WrongPassword},
    {0, 0, 1, true, true, EAnswer::Open, EAnswer::WrongPassword},
    {0, 2, 2, true, true, EAnswer::Open, EAnswer::WrongPassword},
    {0, 1, 1, false, true, EAnswer::Wait, EAnswer::WrongPassword},
    // any non-zero UsePassword counts as in use
    {2, 1, 1, true, true, EAnswer::Wait, EAnswer::OpenByPassword},
};

TEST(UnlockRule, AnswersByTheTable)
{
    for (const SCase& c : kCases) {
        const CPasswordSetting password = Password(c.usePassword, c.passwordType, c.utilityNeedPassword);
        SCOPED_TRACE(testing::Message() << "UsePassword " << c.usePassword << " PasswordType " << c.passwordType
                                        << " UtilityNeedPassword " << c.utilityNeedPassword << " key "
                                        << c.keyPresent << " right " << c.passwordRight);
        EXPECT_EQ(c.onKey, Decide(password, ETrigger::KeyChange, c.keyPresent, c.passwordRight));
        EXPECT_EQ(c.onPassword, Decide(password, ETrigger::PasswordTyped, c.keyPresent, c.passwordRight));
    }
}

// Over every combination: some way through exists for whoever holds the key and the
// password; a wrong password never passes; the key alone passes exactly when allowed.
TEST(UnlockRule, EveryCombinationHasAWayThroughAndAWrongPasswordNeverPasses)
{
    for (int use = 0; use <= 1; ++use)
        for (int type = 0; type <= 2; ++type)
            for (int need = 0; need <= 2; ++need) {
                const CPasswordSetting password = Password(use, type, need);
                SCOPED_TRACE(testing::Message() << use << type << need);
                const bool keyPasses = Decide(password, ETrigger::KeyChange, true, false) == EAnswer::Open;
                const EAnswer both = Decide(password, ETrigger::PasswordTyped, true, true);
                EXPECT_TRUE(keyPasses || both == EAnswer::Open || both == EAnswer::OpenByPassword);
                EXPECT_EQ(EAnswer::WrongPassword, Decide(password, ETrigger::PasswordTyped, true, false));
                EXPECT_EQ(keyPasses, unlockrule::KeyAloneUnlocks(password));
                EXPECT_EQ(EAnswer::Wait, Decide(password, ETrigger::KeyChange, false, true));
            }
}

TEST(UnlockRule, PromptByDialog)
{
    const struct {
        int use, type, need;
        EPrompt utility, uninstall;
    } cases[] = {
        {0, 0, 0, EPrompt::KeyOrPassword, EPrompt::KeyOrPassword},
        {1, 0, 1, EPrompt::Password, EPrompt::Password},
        {1, 0, 2, EPrompt::Password, EPrompt::KeyOrPassword},  // the uninstall asks on 1 only
        {1, 2, 1, EPrompt::KeyAndPassword, EPrompt::KeyAndPassword},
        {1, 2, 0, EPrompt::KeyAndPassword, EPrompt::KeyAndPassword},
        {0, 2, 1, EPrompt::KeyOrPassword, EPrompt::KeyOrPassword},  // no password in use
    };
    for (const auto& c : cases) {
        const CPasswordSetting password = Password(c.use, c.type, c.need);
        SCOPED_TRACE(testing::Message() << c.use << c.type << c.need);
        EXPECT_EQ(c.utility, Prompt(password, EPasswordPromptRule::AnyNonZero));
        EXPECT_EQ(c.uninstall, Prompt(password, EPasswordPromptRule::ExactlyOne));
    }
}

} // namespace
