#include "resident/wizard/InitWizard.h"

#include "framework/ResourceText.h"
#include "resident/wizard/WizardResource.h"

CInitWizard::CInitWizard(CLockSetting* setting, usbkey::CFilterUsbCheckThread* usb, UINT captionId, HWND parent,
                         UINT startPage)
    : fw::CPropertySheet(captionId, parent, startPage), m_setting(setting), m_usb(usb)
{
    Header().dwFlags &= ~PSH_HASHELP;
    AddPage(m_devicePage);
    AddPage(m_lockPage);
    CPasswordSetting& password = m_setting->PasswordSetting;
    try {
        password.SetPassword(1, kDefaultPassword);
    } catch (...) {
        password.Password.clear();
    }
    password.PasswordType = 1;
    password.UtilityNeedPassword = 0;
    AddPage(m_finishPage);
    SetWizardMode();
}

int ShowWizardMessage(HWND owner, UINT textId, UINT type)
{
    return fw::ShowMessage(owner, textId, IDS_MESSAGE_CAPTION, type);
}
