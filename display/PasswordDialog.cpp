#include "display/PasswordDialog.h"

#include "lockcore/LockScreen.h"
#include "display/DisplayResource.h"
#include "display/LockMessageBox.h"
#include "display/TopmostWindowList.h"
#include "display/WindowPlacement.h"

CPasswordDialog::CPasswordDialog(Corvantis::SLockScreen* lockScreen, CTopmostWindowList& topmost, HWND parent)
    : CHideDialog(IDD_PASSWORD, parent), m_lockScreen(lockScreen), m_topmost(topmost)
{
}

BOOL CPasswordDialog::OnInitDialog()
{
    CHideDialog::OnInitDialog();
    m_topmost.Add(GetSafeHwnd());
    m_lockScreen->WatchKeyState();
    return TRUE;
}

INT_PTR CPasswordDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        if (m_messageBox)
            m_messageBox->EndDialog(IDCANCEL);
        m_topmost.Remove(GetSafeHwnd());
    }
    return CHideDialog::OnMessage(message, wParam, lParam);
}

void CPasswordDialog::DoDataExchange(fw::CDataExchange& dx)
{
    fw::DDX_Text(dx, IDC_PASSWORD_TEXT, m_typed);
}

// The dialog stays open: the verdict comes back through OnCheckResult.
void CPasswordDialog::OnOK()
{
    UpdateData(true);
    m_lockScreen->CheckPassword(m_typed);
}

void CPasswordDialog::OnCheckResult(const Corvantis::SPasswordResult* result)
{
    if (!result)
        return;
    if (result->ok == 1) {
        m_mayUnlock = result->mayUnlock;
        CHideDialog::OnOK();
        return;
    }
    m_alarm = result->raiseAlarm;
    if (m_alarm == 1)
        Close(IDCANCEL);
    else if (!m_messageBox)
        ShowWrongPassword();
}

// Modal over this dialog, which then stays open for another try.
void CPasswordDialog::ShowWrongPassword()
{
    CLockMessageBox box(m_topmost, GetSafeHwnd());
    box.SetMessage(IDS_WRONG_PASSWORD, CLockMessageBox::kIconInformation, CLockMessageBox::kOkOnly);
    m_messageBox = &box;
    box.DoModal();
    m_messageBox = nullptr;
}

void CPasswordDialog::Close(int result)
{
    if (m_messageBox)
        m_messageBox->EndDialog(IDCANCEL);
    EndDialog(result);
}

void CPasswordDialog::SetDialogState(int state)
{
    if (state != 0) {
        Close(state);
        return;
    }
    if (GetSafeHwnd() && !IsWindowVisible(GetSafeHwnd())) {
        CenterOnScreen(GetSafeHwnd());
        ShowWindow(GetSafeHwnd(), SW_SHOW);
    }
}
