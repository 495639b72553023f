#include "framework/PropertySheet.h"

#include "framework/ModuleInstance.h"
#include "framework/PropertyPage.h"
#include "framework/ResourceText.h"

namespace fw {

namespace {

// The sheet whose DoModal runs on this thread, until comctl32 has made its window.
thread_local CPropertySheet* t_startingSheet = nullptr;

// In the template comctl32 makes the sheet's window from (its own copy, plain or extended).
void RemoveVisibleStyle(LPARAM dialogTemplate)
{
    auto* words = reinterpret_cast<WORD*>(dialogTemplate);
    const bool extended = words[1] == 0xFFFF;  // DLGTEMPLATEEX: version, signature, help id, extended style, style
    auto* style = reinterpret_cast<DWORD*>(extended ? words + 6 : words);
    *style &= ~static_cast<DWORD>(WS_VISIBLE);
}

} // namespace

CPropertySheet::CPropertySheet(UINT captionId, HWND parent, UINT startPage) : m_caption(LoadText(captionId))
{
    m_header.dwSize = sizeof m_header;
    m_header.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK;
    m_header.pfnCallback = SheetCallback;
    m_header.hwndParent = parent;
    m_header.hInstance = ThisModule();
    m_header.nStartPage = startPage;
}

void CPropertySheet::AddPage(CPropertyPage& page)
{
    page.m_sheet = this;
    m_pages.push_back(&page);
}

INT_PTR CPropertySheet::DoModal()
{
    std::vector<PROPSHEETPAGEA> pages;
    for (CPropertyPage* page : m_pages)
        pages.push_back(page->MakePageHeader());
    if (pages.empty())
        return -1;
    PROPSHEETHEADERA header = m_header;
    // Owned by the desktop means owned by no window: the modal run must not disable the
    // desktop window, which every other program's windows hang from.
    if (header.hwndParent == GetDesktopWindow())
        header.hwndParent = nullptr;
    header.pszCaption = m_caption.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.ppsp = pages.data();
    // The common controls that pages hold (list and tree views, up-down controls).
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&classes);
    m_ending = IDCANCEL;
    CPropertySheet* const outer = t_startingSheet;
    t_startingSheet = this;
    const INT_PTR shown = PropertySheetA(&header);
    t_startingSheet = outer;
    m_window.UnsubclassWindow();
    m_hwnd = nullptr;
    return shown < 0 ? -1 : m_ending;
}

} // namespace fw

namespace fw {

int CALLBACK CPropertySheet::SheetCallback(HWND sheet, UINT message, LPARAM lParam)
{
    if (message == PSCB_PRECREATE && t_startingSheet && t_startingSheet->m_startHidden && lParam)
        RemoveVisibleStyle(lParam);
    if (message == PSCB_INITIALIZED && t_startingSheet) {
        CPropertySheet& starting = *t_startingSheet;
        t_startingSheet = nullptr;
        starting.m_hwnd = sheet;
        starting.m_window.SubclassWindow(sheet);
        starting.OnSheetInitialized();
    }
    return 0;
}

LRESULT CPropertySheet::CSheetWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (m_sheet.OnSheetMessage(message, wParam, lParam, result))
        return result;
    return DefaultProc(message, wParam, lParam);
}

bool CPropertySheet::OnSheetMessage(UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}

void CPropertySheet::OnSheetInitialized() {}

void CPropertySheet::EndWithCancel()
{
    if (m_hwnd)
        PostMessageA(m_hwnd, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}

} // namespace fw
