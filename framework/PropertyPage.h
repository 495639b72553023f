#pragma once
// A page of a property sheet (wizard or tabbed). The object travels in the page's
// PROPSHEETPAGE.lParam and is bound to its window at WM_INITDIALOG (DWLP_USER), like a
// dialog's; every message goes to one virtual OnMessage, which fans out to the dialog
// handlers and turns the sheet's notifications into OnSetActive, OnKillActive,
// OnWizardBack/Next/Finish, OnApply and OnReset. The page procedure is the exception
// firewall: nothing thrown by a handler leaves it.
#include <windows.h>

#include <commctrl.h>

#include "framework/Dialog.h"

namespace fw {

class CPropertySheet;

class CPropertyPage {
public:
    // The template is a dialog resource of the program's own module.
    explicit CPropertyPage(UINT templateId);
    CPropertyPage(const CPropertyPage&) = delete;
    CPropertyPage& operator=(const CPropertyPage&) = delete;
    virtual ~CPropertyPage() = default;

    HWND GetSafeHwnd() const { return m_hwnd; }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hwnd, id); }
    // The sheet that added this page; null before.
    CPropertySheet* GetParentSheet() const { return m_sheet; }
    // The sheet's window while the page has one.
    HWND GetSheetHwnd() const { return m_hwnd ? ::GetParent(m_hwnd) : nullptr; }
    UINT TemplateId() const { return m_templateId; }

    // Runs DoDataExchange in the given direction; false when a field failed, or when
    // called from inside another exchange (which then does nothing).
    bool UpdateData(bool saveAndValidate = true);
    // Enables the sheet's Apply button (tabbed sheets), or clears this page's claim.
    void SetModified(bool changed = true);
    // The wizard buttons (PSWIZB_*), posted to the sheet.
    void SetWizardButtons(DWORD flags);
    // Makes this page the sheet's current one.
    void SetActive();

protected:
    // One entry for every message from WM_INITDIALOG on; returns what a dialog
    // procedure returns (FALSE for default processing); a handler with a result for
    // the sender returns Result(value).
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The default moves the members into the controls; TRUE lets Windows set the focus.
    virtual BOOL OnInitDialog();
    virtual bool OnCommand(WORD code, WORD id, HWND control);
    // Notifications of the page's controls (the sheet's own go to the handlers below).
    virtual bool OnNotify(NMHDR& header, LRESULT& result);
    virtual void DoDataExchange(CDataExchange& dx);

    // Whether the page may be shown; the default accepts.
    virtual BOOL OnSetActive();
    // Whether the page may be left; the default saves the controls (false when a field failed).
    virtual BOOL OnKillActive();
    // 0 goes on to the neighbouring page, -1 stays, a template id jumps to that page.
    virtual LRESULT OnWizardBack();
    virtual LRESULT OnWizardNext();
    // Whether the wizard may end with Finish.
    virtual BOOL OnWizardFinish();
    // OK or Apply of a tabbed sheet: whether the changes were taken.
    virtual BOOL OnApply();
    // Cancel: the sheet ends without applying.
    virtual void OnReset();

    INT_PTR Result(LRESULT value);

private:
    friend class CPropertySheet;
    static INT_PTR CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool OnSheetNotify(const NMHDR& header, LPARAM lParam, LRESULT& result);
    INT_PTR RefuseSheetNotify(const NMHDR& header);
    PROPSHEETPAGEA MakePageHeader();

    UINT m_templateId;
    CPropertySheet* m_sheet = nullptr;
    HWND m_hwnd = nullptr;
    bool m_exchanging = false;
};

// Exchanges an int as the decimal text of an edit control. Saving takes atoi of the
// text, without validation: text that is no number gives 0.
void DDX_IntText(CDataExchange& dx, int id, int& value);
// A group of radio buttons with the consecutive ids first..last: the index of the one
// checked, -1 for none.
void DDX_Radio(CDataExchange& dx, int firstId, int lastId, int& value);

} // namespace fw
