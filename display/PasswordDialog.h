#pragma once
// The password entry of the lock display. It runs hidden until the key state allows a
// password (the owner shows it), hands the typed text to the lock-display interface for
// checking and shows the verdict: a wrong password opens one "wrong password" box at a
// time, a right one ends the dialog with IDOK, an alarm ends it with 2.
#include "display/HideDialog.h"

#include <string>

class CLockMessageBox;
class CTopmostWindowList;
namespace Corvantis {
class SLockScreen;
struct SPasswordResult;
}

class CPasswordDialog : public CHideDialog {
public:
    // The interface is not owned.
    CPasswordDialog(Corvantis::SLockScreen* lockScreen, CTopmostWindowList& topmost, HWND parent);

    // The verdict of a check; null does nothing.
    void OnCheckResult(const Corvantis::SPasswordResult* result);
    // Ends an open message box with 2, then the dialog with `result`.
    void Close(int result);
    // The key state reported while the dialog is open: non-zero closes it with that value;
    // 0 centres it on the screen and shows it, unless it is visible already.
    void SetDialogState(int state);

    // Read by the owner after the modal run for the unlock request.
    int MayUnlock() const { return m_mayUnlock; }
    int Alarm() const { return m_alarm; }
    CLockMessageBox* OpenMessageBox() const { return m_messageBox; }

protected:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnOK() override;
    void DoDataExchange(fw::CDataExchange& dx) override;

private:
    void ShowWrongPassword();

    std::string m_typed;
    CLockMessageBox* m_messageBox = nullptr;  // the open "wrong password" box
    int m_mayUnlock = 0;
    Corvantis::SLockScreen* m_lockScreen;
    int m_alarm = 0;
    CTopmostWindowList& m_topmost;
};
