#pragma once
// The modal dialogs that the lock display opens: the exit box (3300), the refusal of the
// session end (3202) and the password dialog. Each runs on the stack of the handler that
// opened it, one of a kind at a time, and the display ends it from outside while it runs.
#include <windows.h>

#include <optional>

#include "lockcore/LockScreen.h"

class CLockMessageBox;
class CPasswordDialog;
class CTopmostWindowList;

class CLockDisplayDialogs {
public:
    explicit CLockDisplayDialogs(CTopmostWindowList& topmost) : m_topmost(topmost) {}

    // True when the exit box was answered OK; false also when one is open already.
    bool ConfirmExit(HWND parent);
    // The box that tells why the session does not end; nothing when one is open already.
    void ShowRefusal(HWND parent);
    // The password dialog, when none is open, the display is shown and the interface
    // allows a password now. It
    // asks for the key state and shows itself when the answer comes; its end is returned
    // as the unlock request to send, none when it did not open.
    std::optional<Corvantis::SUnlockRequest> RunPasswordDialog(Corvantis::SLockScreen& display, HWND parent);
    // The check result and the key state for the open password dialog; nothing when none
    // is open.
    void OnPasswordResult(const Corvantis::SPasswordResult* result);
    void OnPasswordDialogState(int state);

    bool IsAnyOpen() const { return m_exitBox || m_refusalBox || m_passwordDialog; }
    // Hiding the display ends the exit box and the password dialog with 2, so that no
    // shutdown or unlock follows; the refusal stays.
    void EndOnHide();
    void EndRefusal();

    // The answer to WM_QUERYENDSESSION: while the display is shown the session end is
    // refused and the refusal box asked for (it opens after this sent message returns).
    static BOOL AnswerQueryEndSession(Corvantis::SLockScreen* display);

private:
    CTopmostWindowList& m_topmost;
    CLockMessageBox* m_exitBox = nullptr;
    CLockMessageBox* m_refusalBox = nullptr;
    CPasswordDialog* m_passwordDialog = nullptr;
};
