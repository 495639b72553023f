#include "installer/UninstallDialog.h"

#include "common/UnlockRule.h"
#include "framework/ResourceText.h"
#include "installer/InstallerApp.h"
#include "installer/resource.h"
#include "usbkey/FilterUsbCheckThread.h"

namespace {

UINT PromptTextId(const CPasswordSetting& password)
{
    switch (unlockrule::Prompt(password, unlockrule::EPasswordPromptRule::ExactlyOne)) {
    case unlockrule::EPrompt::KeyAndPassword: return IDS_PROMPT_KEY_AND_PASSWORD;
    case unlockrule::EPrompt::Password: return IDS_PROMPT_PASSWORD;
    default: return IDS_PROMPT_KEY_OR_PASSWORD;
    }
}

} // namespace

CUninstallDialog::CUninstallDialog(CInstallerApp& app, const CLockSetting& setting, HWND parent)
    : fw::CDialog(IDD_UNINSTALL, parent), m_app(app), m_setting(setting)
{
}

void CUninstallDialog::DoDataExchange(fw::CDataExchange& dx)
{
    fw::DDX_Text(dx, IDC_PROMPT, m_prompt);
    fw::DDX_Text(dx, IDC_PASSWORD, m_password);
}

BOOL CUninstallDialog::OnInitDialog()
{
    m_prompt = fw::LoadText(PromptTextId(m_setting.PasswordSetting));
    UpdateData(false);
    usbkey::CFilterUsbCheckThread& worker = m_app.UsbCheckThread();
    worker.AddNotifyWindow(GetSafeHwnd(), UM_DEVICE_LIST_CHANGED);
    worker.UpdateDeviceList();
    OnDeviceListChanged();
    worker.RequestCheck();
    return TRUE;
}

INT_PTR CUninstallDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case UM_DEVICE_LIST_CHANGED:
        OnDeviceListChanged();
        return TRUE;
    case WM_DEVICECHANGE:
        m_app.UsbCheckThread().RequestCheck();
        return FALSE;  // and the default handling
    default:
        return fw::CDialog::OnMessage(message, wParam, lParam);
    }
}

void CUninstallDialog::OnDeviceListChanged()
{
    using namespace unlockrule;
    if (Decide(m_setting.PasswordSetting, ETrigger::KeyChange, m_app.IsKeyPresent(m_setting), false) == EAnswer::Open)
        EndDialog(IDOK);
}

void CUninstallDialog::OnOK()
{
    using namespace unlockrule;
    UpdateData(true);
    const CPasswordSetting& password = m_setting.PasswordSetting;
    // The key is looked at only where it decides.
    const bool keyNeeded = password.PasswordType == 2;
    switch (Decide(password, ETrigger::PasswordTyped, keyNeeded && m_app.IsKeyPresent(m_setting),
                   password.IsPasswordMatch(m_password))) {
    case EAnswer::Open:
    case EAnswer::OpenByPassword: EndDialog(IDOK); break;
    case EAnswer::KeyMissing: ShowMessage(IDS_ATTACH_KEY); break;
    default: ShowMessage(IDS_WRONG_PASSWORD); break;
    }
}

void CUninstallDialog::ShowMessage(UINT textId) const
{
    fw::ShowMessage(GetSafeHwnd(), textId, IDS_MESSAGE_CAPTION, MB_ICONINFORMATION);
}
