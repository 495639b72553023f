#include "resident/wizard/InitWizard.h"

#include "framework/ResourceText.h"
#include "resident/wizard/WizardResource.h"
#include "usbkey/FilterUsbCheckThread.h"

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

// Windows tells top-level windows, here the sheet, of a device plugged or pulled; the
// device page hears of the new list from the worker.
bool CInitWizard::OnSheetMessage(UINT message, WPARAM, LPARAM, LRESULT&)
{
    if (message == WM_DEVICECHANGE && m_usb)
        m_usb->RequestCheck();
    return false;
}

int ShowWizardMessage(HWND owner, UINT textId, UINT type)
{
    return fw::ShowMessage(owner, textId, IDS_MESSAGE_CAPTION, type);
}
