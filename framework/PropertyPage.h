#pragma once
// A page of a property sheet (wizard or tabbed), a dialog window (framework/DialogWindow.h)
// whose object travels in the page's PROPSHEETPAGE.lParam. Its OnMessage also turns the
// sheet's notifications into OnSetActive, OnKillActive, OnWizardBack/Next/Finish, OnApply
// and OnReset; a handler that threw on one of them keeps the sheet where it is.
#include <windows.h>

#include <commctrl.h>

#include "framework/DialogWindow.h"

namespace fw {

class CPropertySheet;

class CPropertyPage : public CDialogWindow {
public:
    // The template is a dialog resource of the program's own module.
    explicit CPropertyPage(UINT templateId);
    CPropertyPage(const CPropertyPage&) = delete;
    CPropertyPage& operator=(const CPropertyPage&) = delete;

    // The sheet that added this page; null before.
    CPropertySheet* GetParentSheet() const { return m_sheet; }
    // The sheet's window while the page has one.
    HWND GetSheetHwnd() const { return GetSafeHwnd() ? ::GetParent(GetSafeHwnd()) : nullptr; }

    // Enables the sheet's Apply button (tabbed sheets), or clears this page's claim.
    void SetModified(bool changed = true);
    // The wizard buttons (PSWIZB_*), posted to the sheet.
    void SetWizardButtons(DWORD flags);
    // Makes this page the sheet's current one.
    void SetActive();

protected:
    // Routes the sheet's notifications to the handlers below, the rest as any dialog window.
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    INT_PTR OnHandlerFailed(UINT message, LPARAM lParam) override;

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

private:
    friend class CPropertySheet;
    static INT_PTR CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool OnSheetNotify(const NMHDR& header, LPARAM lParam, LRESULT& result);
    PROPSHEETPAGEA MakePageHeader();

    CPropertySheet* m_sheet = nullptr;
};

// Exchanges an int as the decimal text of an edit control. Saving takes atoi of the
// text, without validation: text that is no number gives 0.
void DDX_IntText(CDataExchange& dx, int id, int& value);
// A group of radio buttons with the consecutive ids first..last: the index of the one
// checked, -1 for none.
void DDX_Radio(CDataExchange& dx, int firstId, int lastId, int& value);

} // namespace fw
