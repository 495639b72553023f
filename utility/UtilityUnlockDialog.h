#pragma once
// The key-or-password check before the settings sheet: it ends with IDOK when a registered
// key is attached (if the key alone may open the utility) or the right password was typed.
#include <string>

#include "framework/Dialog.h"

class CUtilityApp;

class CUtilityUnlockDialog : public fw::CDialog {
public:
    CUtilityUnlockDialog(CUtilityApp& app, HWND parent);

    // Passed by the password alone (PasswordType 1): the sheet then stays open without the key.
    bool OpenedByPassword() const { return m_openedByPassword; }

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(fw::CDataExchange& dx) override;

private:
    void OnDeviceListChanged();
    void ShowMessage(UINT textId) const;

    CUtilityApp& m_app;
    std::string m_prompt;
    std::string m_password;
    bool m_openedByPassword = false;
};
