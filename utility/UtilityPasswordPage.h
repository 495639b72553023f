#pragma once
// The password page: whether a password is set, the new password twice, whether it
// unlocks alone or only with the key, and whether the utility asks for it.
#include <string>

#include "utility/UtilityPage.h"

class CUtilityPasswordPage : public CUtilityPage {
public:
    CUtilityPasswordPage();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD code, WORD id, HWND control) override;
    void DoDataExchange(fw::CDataExchange& dx) override;
    BOOL OnApply() override;

private:
    bool IsChanged() const override;
    bool IsPasswordUnchanged() const;
    int PasswordTypeToStore() const;
    // False, after telling the user, when the texts cannot be taken.
    bool Validate();
    // The password fields can be set only while a password is in use.
    void OnUsePasswordCheck();

    int m_usePassword = 0;
    std::string m_password;
    std::string m_confirmation;
    int m_utilityNeedPassword = 0;
    int m_choice = -1;  // 0: the password alone unlocks, 1: key and password
};
