#include "framework/PropertyPage.h"

#include "framework/ModuleInstance.h"
#include "framework/PropertySheet.h"

#include <cstdlib>
#include <string>

namespace fw {

CPropertyPage::CPropertyPage(UINT templateId) : CDialogWindow(templateId) {}

PROPSHEETPAGEA CPropertyPage::MakePageHeader()
{
    PROPSHEETPAGEA page{};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_DEFAULT;
    page.hInstance = ThisModule();
    page.pszTemplate = MAKEINTRESOURCEA(TemplateId());
    page.pfnDlgProc = PageProc;
    page.lParam = reinterpret_cast<LPARAM>(this);
    return page;
}

void CPropertyPage::SetModified(bool changed)
{
    if (const HWND sheet = GetSheetHwnd())
        SendMessageA(sheet, changed ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(GetSafeHwnd()), 0);
}

void CPropertyPage::SetWizardButtons(DWORD flags)
{
    if (const HWND sheet = GetSheetHwnd())
        PostMessageA(sheet, PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(flags));
}

void CPropertyPage::SetActive()
{
    if (const HWND sheet = GetSheetHwnd()) {
        const LRESULT index = SendMessageA(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(GetSafeHwnd()), 0);
        SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

INT_PTR CPropertyPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NOTIFY) {
        const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
        LRESULT result = 0;
        if (header.hwndFrom == GetSheetHwnd())
            return OnSheetNotify(header, lParam, result) ? Result(result) : FALSE;
    }
    return CDialogWindow::OnMessage(message, wParam, lParam);
}

// The sheet's notifications in the results comctl32 expects.
bool CPropertyPage::OnSheetNotify(const NMHDR& header, LPARAM lParam, LRESULT& result)
{
    switch (header.code) {
    case PSN_SETACTIVE:
        result = OnSetActive() ? 0 : -1;
        return true;
    case PSN_KILLACTIVE:
        result = OnKillActive() ? FALSE : TRUE;
        return true;
    case PSN_WIZBACK:
        result = OnWizardBack();
        return true;
    case PSN_WIZNEXT:
        result = OnWizardNext();
        return true;
    case PSN_WIZFINISH: {
        const BOOL finish = OnWizardFinish();
        if (finish && m_sheet)
            m_sheet->NoteEnding(ID_WIZFINISH);
        result = finish ? FALSE : TRUE;
        return true;
    }
    case PSN_APPLY: {
        const BOOL applied = OnApply();
        // lParam TRUE: OK was pressed and the sheet ends once every page took it.
        if (m_sheet && reinterpret_cast<const PSHNOTIFY*>(lParam)->lParam)
            m_sheet->NoteEnding(applied ? IDOK : IDCANCEL);
        result = applied ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
        return true;
    }
    case PSN_RESET:
        if (m_sheet)
            m_sheet->NoteEnding(IDCANCEL);
        OnReset();
        return true;
    default:
        return false;
    }
}

// A handler that failed keeps the sheet where it is.
INT_PTR CPropertyPage::OnHandlerFailed(UINT message, LPARAM lParam)
{
    if (message != WM_NOTIFY)
        return TRUE;
    const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
    if (header.hwndFrom != GetSheetHwnd())
        return FALSE;
    switch (header.code) {
    case PSN_SETACTIVE:
    case PSN_WIZBACK:
    case PSN_WIZNEXT:
        return Result(-1);
    case PSN_KILLACTIVE:
    case PSN_WIZFINISH:
        return Result(TRUE);
    case PSN_APPLY:
        if (m_sheet)
            m_sheet->NoteEnding(IDCANCEL);
        return Result(PSNRET_INVALID_NOCHANGEPAGE);
    default:
        return FALSE;
    }
}

BOOL CPropertyPage::OnSetActive()
{
    return TRUE;
}

BOOL CPropertyPage::OnKillActive()
{
    return UpdateData(true);
}

LRESULT CPropertyPage::OnWizardBack()
{
    return 0;
}

LRESULT CPropertyPage::OnWizardNext()
{
    return 0;
}

BOOL CPropertyPage::OnWizardFinish()
{
    return TRUE;
}

BOOL CPropertyPage::OnApply()
{
    return TRUE;
}

void CPropertyPage::OnReset() {}

INT_PTR CALLBACK CPropertyPage::PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // lParam of WM_INITDIALOG is the sheet's copy of the page header; its lParam is the object.
    return Procedure(hwnd, message, wParam, lParam, [](HWND page, LPARAM header) -> CDialogWindow* {
        auto* self = reinterpret_cast<CPropertyPage*>(reinterpret_cast<const PROPSHEETPAGEA*>(header)->lParam);
        if (self->m_sheet)
            self->m_sheet->NoteWindow(::GetParent(page));
        return self;
    });
}

void DDX_IntText(CDataExchange& dx, int id, int& value)
{
    const HWND control = dx.PrepareCtrl(id);
    if (!dx.m_bSaveAndValidate) {
        SetWindowTextA(control, std::to_string(value).c_str());
        return;
    }
    char text[64] = {};
    GetWindowTextA(control, text, sizeof text);
    value = std::atoi(text);
}

void DDX_Radio(CDataExchange& dx, int firstId, int lastId, int& value)
{
    const HWND dialog = GetParent(dx.PrepareCtrl(firstId));
    if (!dx.m_bSaveAndValidate) {
        CheckRadioButton(dialog, firstId, lastId, value >= 0 ? firstId + value : 0);
        return;
    }
    value = -1;
    for (int id = firstId; id <= lastId; ++id)
        if (IsDlgButtonChecked(dialog, id) == BST_CHECKED)
            value = id - firstId;
}

} // namespace fw
