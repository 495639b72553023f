#pragma once
// A modal property sheet over comctl32's PropertySheetA: tabbed (OK, Cancel, Apply) or,
// in wizard mode, Back/Next/Finish. The pages are objects of the owner (members of a
// derived sheet, usually), added in order before DoModal.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/SubclassWnd.h"

namespace fw {

class CPropertyPage;

// DoModal's result after a wizard's Finish.
constexpr INT_PTR ID_WIZFINISH = 0x3025;

class CPropertySheet {
public:
    // The caption is a string resource of the program's own module.
    CPropertySheet(UINT captionId, HWND parent = nullptr, UINT startPage = 0);
    CPropertySheet(const CPropertySheet&) = delete;
    CPropertySheet& operator=(const CPropertySheet&) = delete;
    virtual ~CPropertySheet() = default;

    void AddPage(CPropertyPage& page);
    std::size_t GetPageCount() const { return m_pages.size(); }
    CPropertyPage& GetPage(std::size_t index) const { return *m_pages[index]; }
    // The window is made hidden and shows only when the owner shows it: for a sheet that
    // may end before it is ever seen.
    void SetStartHidden() { m_startHidden = true; }
    // Wizard mode: Back, Next and Finish instead of tabs.
    void SetWizardMode() { m_header.dwFlags |= PSH_WIZARD; }
    bool IsWizard() const { return (m_header.dwFlags & PSH_WIZARD) != 0; }
    // The header given to PropertySheetA; flags may be changed before DoModal.
    PROPSHEETHEADERA& Header() { return m_header; }

    // Runs the sheet modally: ID_WIZFINISH after Finish, IDOK after OK, IDCANCEL after
    // Cancel (or closing), -1 when it could not be shown.
    INT_PTR DoModal();
    // The sheet's window while it runs.
    HWND GetSafeHwnd() const { return m_hwnd; }

protected:
    // Messages of the sheet's own window before comctl32 handles them: true when
    // handled, with the result in `result`; false passes them on.
    virtual bool OnSheetMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The sheet's window exists (GetSafeHwnd), before it is shown.
    virtual void OnSheetInitialized();
    // Ends a running sheet as Cancel does.
    void EndWithCancel();

private:
    friend class CPropertyPage;
    // The sheet's own window, bound once comctl32 has made it.
    class CSheetWindow : public CSubclassWnd {
    public:
        explicit CSheetWindow(CPropertySheet& sheet) : m_sheet(sheet) {}

    protected:
        LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    private:
        CPropertySheet& m_sheet;
    };
    static int CALLBACK SheetCallback(HWND sheet, UINT message, LPARAM lParam);

    // The pages tell the sheet how it ends.
    void NoteEnding(INT_PTR result) { m_ending = result; }
    void NoteWindow(HWND sheet) { m_hwnd = sheet; }

    PROPSHEETHEADERA m_header{};
    std::string m_caption;
    std::vector<CPropertyPage*> m_pages;
    HWND m_hwnd = nullptr;
    CSheetWindow m_window{*this};
    INT_PTR m_ending = IDCANCEL;
    bool m_startHidden = false;
};

} // namespace fw
