#include "utility/UtilityUnlockDialog.h"

#include "common/UnlockRule.h"
#include "framework/ResourceText.h"
#include "usbkey/FilterUsbCheckThread.h"
#include "utility/UtilityApp.h"
#include "utility/resource.h"

namespace {

UINT PromptTextId(const CPasswordSetting& password)
{
    switch (unlockrule::Prompt(password, unlockrule::EPasswordPromptRule::AnyNonZero)) {
    case unlockrule::EPrompt::KeyAndPassword: return IDS_PROMPT_KEY_AND_PASSWORD;
    case unlockrule::EPrompt::Password: return IDS_PROMPT_PASSWORD;
    default: return IDS_PROMPT_KEY_OR_PASSWORD;
    }
}

} // namespace

CUtilityUnlockDialog::CUtilityUnlockDialog(CUtilityApp& app, HWND parent) : fw::CDialog(IDD_UNLOCK, parent), m_app(app)
{
}

void CUtilityUnlockDialog::DoDataExchange(fw::CDataExchange& dx)
{
    fw::DDX_Text(dx, IDC_PROMPT, m_prompt);
    fw::DDX_Text(dx, IDC_PASSWORD, m_password);
}

BOOL CUtilityUnlockDialog::OnInitDialog()
{
    m_prompt = fw::LoadText(PromptTextId(m_app.Settings().PasswordSetting));
    UpdateData(false);
    usbkey::CFilterUsbCheckThread& worker = m_app.UsbCheckThread();
    worker.AddNotifyWindow(GetSafeHwnd(), usbkey::UM_DEVICE_LIST_CHANGED);
    worker.UpdateDeviceList();
    OnDeviceListChanged();  // a key already attached opens the settings at once
    worker.RequestCheck();
    return TRUE;
}

INT_PTR CUtilityUnlockDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case usbkey::UM_DEVICE_LIST_CHANGED:
        OnDeviceListChanged();
        return TRUE;
    case WM_DEVICECHANGE:
        m_app.UsbCheckThread().RequestCheck();
        return FALSE;
    default:
        return fw::CDialog::OnMessage(message, wParam, lParam);
    }
}

void CUtilityUnlockDialog::OnDeviceListChanged()
{
    using namespace unlockrule;
    if (Decide(m_app.Settings().PasswordSetting, ETrigger::KeyChange, m_app.IsKeyPresent(), false) == EAnswer::Open)
        EndDialog(IDOK);
}

void CUtilityUnlockDialog::OnOK()
{
    using namespace unlockrule;
    UpdateData(true);
    const CPasswordSetting& password = m_app.Settings().PasswordSetting;
    switch (Decide(password, ETrigger::PasswordTyped, m_app.IsKeyPresent(), password.IsPasswordMatch(m_password))) {
    case EAnswer::OpenByPassword:
        m_openedByPassword = true;
        EndDialog(IDOK);
        break;
    case EAnswer::Open: EndDialog(IDOK); break;
    case EAnswer::KeyMissing: ShowMessage(IDS_ATTACH_KEY); break;
    default: ShowMessage(IDS_WRONG_PASSWORD); break;
    }
}

void CUtilityUnlockDialog::ShowMessage(UINT textId) const
{
    fw::ShowMessage(GetSafeHwnd(), textId, IDS_MESSAGE_CAPTION, MB_ICONINFORMATION);
}
