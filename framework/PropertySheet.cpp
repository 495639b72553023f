#include "framework/PropertySheet.h"

#include "framework/ModuleInstance.h"
#include "framework/PropertyPage.h"
#include "framework/ResourceText.h"

namespace fw {

CPropertySheet::CPropertySheet(UINT captionId, HWND parent, UINT startPage) : m_caption(LoadText(captionId))
{
    m_header.dwSize = sizeof m_header;
    m_header.dwFlags = PSH_PROPSHEETPAGE;
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
    header.pszCaption = m_caption.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.ppsp = pages.data();
    // The common controls that pages hold (list and tree views, up-down controls).
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&classes);
    m_ending = IDCANCEL;
    const INT_PTR shown = PropertySheetA(&header);
    m_hwnd = nullptr;
    return shown < 0 ? -1 : m_ending;
}

} // namespace fw
