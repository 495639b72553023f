#include "utility/WholePage.h"

#include "framework/ResourceText.h"
#include "framework/SpinButton.h"
#include "utility/UtilitySheet.h"
#include "utility/resource.h"

namespace {

constexpr int kMinWaitMinutes = 1;
constexpr int kMaxWaitMinutes = 9999;
constexpr int kFallbackWaitMinutes = 10;

} // namespace

CWholePage::CWholePage() : CUtilityPage(IDD_WHOLE_PAGE) {}

BOOL CWholePage::OnInitDialog()
{
    const CLockSetting& saved = Sheet().Saved();
    m_lockKeyRemoved = saved.LockKeyRemoved;
    m_lockStartup = saved.LockStartup;
    m_lockNoInput = saved.LockNoInput;
    m_waitMinutes = saved.LockNoInputSec / 60;
    CUtilityPage::OnInitDialog();
    fw::SetUpNumberSpin(GetDlgItem(IDC_WAIT_MINUTES), GetDlgItem(IDC_WAIT_SPIN), 4, kMinWaitMinutes, kMaxWaitMinutes,
                        m_waitMinutes);
    UpdateControls();
    return TRUE;
}

void CWholePage::DoDataExchange(fw::CDataExchange& dx)
{
    fw::DDX_Check(dx, IDC_LOCK_KEY_REMOVED, m_lockKeyRemoved);
    fw::DDX_Check(dx, IDC_LOCK_STARTUP, m_lockStartup);
    fw::DDX_Check(dx, IDC_LOCK_NO_INPUT, m_lockNoInput);
    fw::DDX_IntText(dx, IDC_WAIT_MINUTES, m_waitMinutes);
}

bool CWholePage::OnCommand(WORD code, WORD id, HWND)
{
    if (id == IDC_LOCK_NO_INPUT && code == BN_CLICKED) {
        UpdateControls();
        return true;
    }
    if (((id == IDC_LOCK_KEY_REMOVED || id == IDC_LOCK_STARTUP) && code == BN_CLICKED) ||
        (id == IDC_WAIT_MINUTES && code == EN_CHANGE)) {
        OnChange();
        return true;
    }
    return false;
}

void CWholePage::UpdateControls()
{
    UpdateData(true);
    EnableWindow(GetDlgItem(IDC_WAIT_MINUTES), m_lockNoInput != 0);
    EnableWindow(GetDlgItem(IDC_WAIT_SPIN), m_lockNoInput != 0);
    SetModified(IsChanged());
}

bool CWholePage::IsChanged() const
{
    const CLockSetting& saved = Sheet().Saved();
    return m_lockKeyRemoved != saved.LockKeyRemoved || m_lockStartup != saved.LockStartup ||
           m_lockNoInput != saved.LockNoInput || saved.LockNoInputSec / 60 != m_waitMinutes;
}

BOOL CWholePage::OnApply()
{
    UpdateData(true);
    if (m_waitMinutes < kMinWaitMinutes || m_waitMinutes > kMaxWaitMinutes) {
        if (m_lockNoInput) {
            SetActive();
            fw::ShowMessage(GetSafeHwnd(), IDS_BAD_WAIT_TIME, IDS_MESSAGE_CAPTION, MB_ICONINFORMATION);
            SetFocus(GetDlgItem(IDC_WAIT_MINUTES));
            return FALSE;
        }
        m_waitMinutes = kFallbackWaitMinutes;
        UpdateData(false);
    }
    CLockSetting& copy = Sheet().Copy();
    copy.LockKeyRemoved = m_lockKeyRemoved;
    copy.LockStartup = m_lockStartup;
    copy.LockNoInput = m_lockNoInput;
    copy.LockNoInputSec = SecondsFromMinutes(m_waitMinutes, Sheet().Saved().LockNoInputSec);
    if (IsChanged())
        Sheet().NoteModified();
    return TRUE;
}
