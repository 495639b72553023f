#pragma once
// What dialogs and property pages share: the object is bound to its window at the
// window's own WM_INITDIALOG (DWLP_USER; a later one is someone else's) and every
// message goes to one virtual OnMessage, which fans out to OnInitDialog, OnCommand and
// OnNotify. Only the window's real destruction brings the object WM_DESTROY and
// WM_NCDESTROY, and unbinds it at the end; the same messages from anyone else are
// dropped (framework/WindowDestruction.h). The dialog procedure is the exception
// firewall: nothing thrown by a handler leaves it. Also the data exchange between a
// dialog's controls and its members.
#include <windows.h>

#include <string>

namespace fw {

class CDialogWindow;

// Moves values between a dialog's controls and its members in one direction:
// to the members when saving (UpdateData(true)), else to the controls.
class CDataExchange {
public:
    CDataExchange(CDialogWindow& dialog, bool saveAndValidate);
    // Over any dialog window.
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

// Thrown by CDataExchange::Fail and caught by UpdateData.
struct CDataExchangeFailure {};

void DDX_Text(CDataExchange& dx, int id, std::string& value);
// A check box's state (BST_UNCHECKED 0, BST_CHECKED 1, BST_INDETERMINATE 2).
void DDX_Check(CDataExchange& dx, int id, int& value);

class CDialogWindow {
public:
    // The template is a dialog resource of the program's own module.
    explicit CDialogWindow(UINT templateId) : m_templateId(templateId) {}
    CDialogWindow(const CDialogWindow&) = delete;
    CDialogWindow& operator=(const CDialogWindow&) = delete;
    virtual ~CDialogWindow() = default;

    HWND GetSafeHwnd() const { return m_hwnd; }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hwnd, id); }
    UINT TemplateId() const { return m_templateId; }

    // Runs DoDataExchange in the given direction; false when a field failed, or when
    // called from inside another exchange (which then does nothing: filling an edit
    // raises its EN_CHANGE, whose handler would read controls not yet filled).
    bool UpdateData(bool saveAndValidate = true);

protected:
    // The procedure of a window whose WM_INITDIALOG lParam leads to its object; returns
    // that object (after anything the kind of window notes at its binding).
    using BindAtInit = CDialogWindow* (*)(HWND window, LPARAM initParam);
    static INT_PTR Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, BindAtInit bind);

    // One entry for every message from WM_INITDIALOG on. Returns what a dialog procedure
    // returns: FALSE for default processing, TRUE when handled; a handler that has a
    // result for the sender returns Result(value).
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The default moves the members into the controls; TRUE lets Windows set the focus.
    virtual BOOL OnInitDialog();
    // True when handled.
    virtual bool OnCommand(WORD code, WORD id, HWND control);
    // True when handled, with the notification's result in `result`.
    virtual bool OnNotify(NMHDR& header, LRESULT& result);
    virtual void DoDataExchange(CDataExchange& dx);
    // What the procedure returns for a message whose handler threw; the default: handled.
    virtual INT_PTR OnHandlerFailed(UINT message, LPARAM lParam);

    // Hands a result to the sender of the message being handled.
    INT_PTR Result(LRESULT value);

    // Before the object goes or destroys its window: the destroy messages held for a
    // window that is gone are taken now (WindowDestruction.h).
    void TakeHeldIfGone();

private:
    // The message handled, and the binding ended at WM_NCDESTROY.
    INT_PTR Take(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR ReflectToControl(UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    HWND m_hwnd = nullptr;
    bool m_exchanging = false;
};

} // namespace fw
