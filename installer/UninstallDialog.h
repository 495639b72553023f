#pragma once
// The key-or-password check before the uninstall: it ends with IDOK when a registered
// key is attached (if the key alone may pass) or the right password was typed.
#include <string>

#include "common/LockSetting.h"
#include "framework/Dialog.h"

class CInstallerApp;

class CUninstallDialog : public fw::CDialog {
public:
    static constexpr UINT UM_DEVICE_LIST_CHANGED = WM_APP + 1;

    CUninstallDialog(CInstallerApp& app, const CLockSetting& setting, HWND parent);

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(fw::CDataExchange& dx) override;

private:
    void OnDeviceListChanged();
    void ShowMessage(UINT textId) const;

    CInstallerApp& m_app;
    const CLockSetting& m_setting;
    std::string m_prompt;
    std::string m_password;
};
