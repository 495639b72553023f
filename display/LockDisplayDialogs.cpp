#include "display/LockDisplayDialogs.h"

#include "display/DisplayResource.h"
#include "display/LockMessageBox.h"
#include "display/PasswordDialog.h"

bool CLockDisplayDialogs::ConfirmExit(HWND parent)
{
    if (m_exitBox)
        return false;
    CLockMessageBox box(m_topmost, parent);
    box.SetMessage(IDS_CONFIRM_SHUTDOWN, 0, CLockMessageBox::kOkCancel);
    m_exitBox = &box;
    const INT_PTR answer = box.DoModal();
    m_exitBox = nullptr;
    return answer == IDOK;
}

void CLockDisplayDialogs::ShowRefusal(HWND parent)
{
    if (m_refusalBox)
        return;
    CLockMessageBox box(m_topmost, parent);
    box.SetMessage(IDS_END_SESSION_REFUSED, CLockMessageBox::kIconInformation, CLockMessageBox::kOkOnly);
    m_refusalBox = &box;
    box.DoModal();
    m_refusalBox = nullptr;
}

std::optional<Corvantis::SUnlockRequest> CLockDisplayDialogs::RunPasswordDialog(Corvantis::SLockScreen& display,
                                                                                 HWND parent)
{
    // A request queued before the display went away (a click just before a key unlock)
    // must not leave a password dialog over an open PC.
    if (m_passwordDialog || !display.IsLockScreenShown() || display.QueryMayUnlock() == 0)
        return std::nullopt;
    CPasswordDialog dialog(&display, m_topmost, parent);
    m_passwordDialog = &dialog;
    const INT_PTR result = dialog.DoModal();
    m_passwordDialog = nullptr;
    return Corvantis::SUnlockRequest{static_cast<int32_t>(result), dialog.MayUnlock(), dialog.Alarm()};
}

void CLockDisplayDialogs::OnPasswordResult(const Corvantis::SPasswordResult* result)
{
    if (m_passwordDialog)
        m_passwordDialog->OnCheckResult(result);
}

void CLockDisplayDialogs::OnPasswordDialogState(int state)
{
    if (m_passwordDialog)
        m_passwordDialog->SetDialogState(state);
}

void CLockDisplayDialogs::EndOnHide()
{
    if (m_exitBox)
        m_exitBox->EndDialog(IDCANCEL);
    if (m_passwordDialog)
        m_passwordDialog->Close(IDCANCEL);
}

void CLockDisplayDialogs::EndRefusal()
{
    if (m_refusalBox)
        m_refusalBox->EndDialog(IDCANCEL);
}

BOOL CLockDisplayDialogs::AnswerQueryEndSession(Corvantis::SLockScreen* display)
{
    if (!display || !display->IsLockScreenShown())
        return TRUE;
    display->RefuseEndSession();
    return FALSE;
}
