#pragma once
// Dialog base: the object is bound to its window at WM_INITDIALOG (the lParam of
// CreateDialogParam) and every message goes to one virtual OnMessage, which fans out
// to OnInitDialog, OnCommand, OnNotify, OnOK and OnCancel. The dialog procedure is the
// exception firewall: nothing thrown by a handler leaves it.
#include <windows.h>

#include <string>

namespace fw {

class CDialog;

// Moves values between a dialog's controls and its members in one direction:
// to the members when saving (UpdateData(true)), else to the controls.
class CDataExchange {
public:
    CDataExchange(CDialog& dialog, bool saveAndValidate);
    // Over any dialog window, such as a property page.
    CDataExchange(HWND dialog, bool saveAndValidate);

    const bool m_bSaveAndValidate;

    // The control with this id, remembered as the one a later Fail puts the focus on.
    HWND PrepareCtrl(int id);
    // Abandons the exchange: the last prepared control gets the focus and UpdateData
    // returns false. The validator has already told the user why.
    [[noreturn]] void Fail();

private:
    HWND m_dialog;
    HWND m_lastControl = nullptr;
};

// Thrown by CDataExchange::Fail and caught by CDialog::UpdateData.
struct CDataExchangeFailure {};

void DDX_Text(CDataExchange& dx, int id, std::string& value);
// A check box's state (BST_UNCHECKED 0, BST_CHECKED 1, BST_INDETERMINATE 2).
void DDX_Check(CDataExchange& dx, int id, int& value);

class CDialog {
public:
    // The template is a dialog resource of the program's own module.
    explicit CDialog(UINT templateId, HWND parent = nullptr);
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;
    // Destroys the window when it still exists (a modeless dialog left open).
    virtual ~CDialog();

    // Runs the dialog modally and returns the value given to EndDialog; -1 when the
    // template is missing, the window cannot be created or the run ends by WM_QUIT
    // (which is posted again for the outer loop). The dialog is shown once the
    // message queue first runs empty, unless its template already shows it.
    virtual INT_PTR DoModal();
    // Creates the dialog modeless as a window of the parent; false on failure.
    bool Create();
    void DestroyWindow();
    // Ends a modal run with this result; a modeless dialog is only hidden.
    void EndDialog(INT_PTR result);
    // Runs DoDataExchange in the given direction; false when a field failed.
    bool UpdateData(bool saveAndValidate = true);

    HWND GetSafeHwnd() const { return m_hwnd; }
    HWND GetParent() const { return m_parent; }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hwnd, id); }
    UINT TemplateId() const { return m_templateId; }
    bool IsModalRunning() const { return m_modalRunning; }

protected:
    // One entry for every message after WM_INITDIALOG. Returns what a dialog procedure
    // returns: FALSE for default processing, TRUE when handled; a handler that has a
    // result for the sender returns Result(value).
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The default moves the members into the controls; TRUE lets Windows set the focus.
    virtual BOOL OnInitDialog();
    // True when handled; the default sends IDOK and IDCANCEL to OnOK and OnCancel.
    virtual bool OnCommand(WORD code, WORD id, HWND control);
    // True when handled, with the notification's result in `result`.
    virtual bool OnNotify(NMHDR& header, LRESULT& result);
    // The defaults: OnOK saves the controls and ends with IDOK when they are valid;
    // OnCancel ends with IDCANCEL.
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange& dx);

    // The modal run of DoModal; showWhenIdle false keeps the dialog hidden unless its
    // template or the program shows it.
    INT_PTR RunModal(bool showWhenIdle);
    // Hands a result to the sender of the message being handled.
    INT_PTR Result(LRESULT value);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR RunModalLoop(bool showWhenIdle);
    INT_PTR ReflectToControl(UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    HWND m_parent;
    HWND m_hwnd = nullptr;
    bool m_modalRunning = false;
    INT_PTR m_modalResult = -1;
};

} // namespace fw
