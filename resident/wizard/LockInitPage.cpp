#include "resident/wizard/LockInitPage.h"

#include "framework/SpinButton.h"
#include "resident/wizard/InitWizard.h"
#include "resident/wizard/WizardResource.h"

namespace {

constexpr int kMinWaitMinutes = 1;
constexpr int kMaxWaitMinutes = 9999;
constexpr int kFallbackWaitMinutes = 10;

} // namespace

CLockInitPage::CLockInitPage() : fw::CPropertyPage(IDD_LOCK_INIT) {}

CInitWizard& CLockInitPage::Wizard() const
{
    return *static_cast<CInitWizard*>(GetParentSheet());
}

BOOL CLockInitPage::OnInitDialog()
{
    fw::CPropertyPage::OnInitDialog();
    fw::SetUpNumberSpin(GetDlgItem(IDC_WAIT_MINUTES), GetDlgItem(IDC_WAIT_SPIN), 4, kMinWaitMinutes, kMaxWaitMinutes,
                        m_waitMinutes);
    OnNoInputClicked();
    return TRUE;
}

void CLockInitPage::DoDataExchange(fw::CDataExchange& dx)
{
    fw::DDX_Check(dx, IDC_LOCK_NO_INPUT, m_noInputLock);
    fw::DDX_Check(dx, IDC_LOCK_KEY_REMOVED, m_keyRemovedLock);
    fw::DDX_IntText(dx, IDC_WAIT_MINUTES, m_waitMinutes);
    fw::DDX_Check(dx, IDC_LOCK_STARTUP, m_startupLock);
}

bool CLockInitPage::OnCommand(WORD code, WORD id, HWND)
{
    if (id != IDC_LOCK_NO_INPUT || code != BN_CLICKED)
        return false;
    OnNoInputClicked();
    return true;
}

void CLockInitPage::OnNoInputClicked()
{
    UpdateData(true);
    EnableWindow(GetDlgItem(IDC_WAIT_MINUTES), m_noInputLock != 0);
    EnableWindow(GetDlgItem(IDC_WAIT_SPIN), m_noInputLock != 0);
}

BOOL CLockInitPage::OnSetActive()
{
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return TRUE;
}

LRESULT CLockInitPage::OnWizardNext()
{
    UpdateData(true);
    if (m_waitMinutes < kMinWaitMinutes || m_waitMinutes > kMaxWaitMinutes) {
        if (m_noInputLock) {
            ShowWizardMessage(GetSheetHwnd(), IDS_BAD_WAIT_TIME, MB_ICONINFORMATION);
            SetFocus(GetDlgItem(IDC_WAIT_MINUTES));
            return -1;
        }
        m_waitMinutes = kFallbackWaitMinutes;
        UpdateData(false);
    }
    CLockSetting& setting = Wizard().Setting();
    setting.LockKeyRemoved = m_keyRemovedLock;
    setting.LockStartup = m_startupLock;
    setting.LockNoInput = m_noInputLock;
    setting.LockNoInputSec = m_waitMinutes * 60;
    return 0;
}
