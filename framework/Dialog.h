#pragma once
// Dialog base over the shared dialog window (framework/DialogWindow.h): modal runs and
// modeless windows; IDOK and IDCANCEL go to OnOK and OnCancel.
#include <windows.h>

#include "framework/DialogWindow.h"

namespace fw {

class CDialog : public CDialogWindow {
public:
    // The template is a dialog resource of the program's own module.
    explicit CDialog(UINT templateId, HWND parent = nullptr);
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;
    // Destroys the window when it still exists (a modeless dialog left open).
    virtual ~CDialog();

    // Runs the dialog modally and returns the value given to EndDialog; -1 when the
    // template is missing, the window cannot be created or the run ends by WM_QUIT
    // (which is posted again for the outer loop) that EndsOnQuit lets end it. The
    // dialog is shown once the message queue first runs empty, unless its template
    // already shows it.
    virtual INT_PTR DoModal();
    // Creates the dialog modeless as a window of the parent; false on failure.
    bool Create();
    void DestroyWindow();
    // Ends a modal run with this result; a modeless dialog is only hidden.
    void EndDialog(INT_PTR result);

    HWND GetParent() const { return m_parent; }
    bool IsModalRunning() const { return m_modalRunning; }

protected:
    // True when handled; the default sends IDOK and IDCANCEL to OnOK and OnCancel.
    bool OnCommand(WORD code, WORD id, HWND control) override;
    // The defaults: OnOK saves the controls and ends with IDOK when they are valid;
    // OnCancel ends with IDCANCEL.
    virtual void OnOK();
    virtual void OnCancel();
    // Whether a WM_QUIT that reaches the modal loop ends the run; a refused one is dropped.
    // Any program may post one to the window or its thread.
    virtual bool EndsOnQuit() const { return true; }

    // The modal run of DoModal; showWhenIdle false keeps the dialog hidden unless its
    // template or the program shows it.
    INT_PTR RunModal(bool showWhenIdle);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR RunModalLoop(bool showWhenIdle);

    HWND m_parent;
    bool m_modalRunning = false;
    INT_PTR m_modalResult = -1;
};

} // namespace fw
