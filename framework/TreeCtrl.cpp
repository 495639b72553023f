#include "framework/TreeCtrl.h"

namespace fw {

HTREEITEM CTreeCtrl::InsertItem(const std::string& text, HTREEITEM parent, HTREEITEM after)
{
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<char*>(text.c_str());
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(GetSafeHwnd(), TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

bool CTreeCtrl::DeleteAllItems()
{
    return SendMessageA(GetSafeHwnd(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)) != 0;
}

bool CTreeCtrl::Expand(HTREEITEM item, UINT action)
{
    return SendMessageA(GetSafeHwnd(), TVM_EXPAND, action, reinterpret_cast<LPARAM>(item)) != 0;
}

UINT CTreeCtrl::GetCount() const
{
    return static_cast<UINT>(SendMessageA(GetSafeHwnd(), TVM_GETCOUNT, 0, 0));
}

HTREEITEM CTreeCtrl::GetRootItem() const
{
    return reinterpret_cast<HTREEITEM>(SendMessageA(GetSafeHwnd(), TVM_GETNEXTITEM, TVGN_ROOT, 0));
}

HTREEITEM CTreeCtrl::GetChildItem(HTREEITEM item) const
{
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(GetSafeHwnd(), TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM CTreeCtrl::GetNextSiblingItem(HTREEITEM item) const
{
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(GetSafeHwnd(), TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
}

std::string CTreeCtrl::GetItemText(HTREEITEM item) const
{
    char text[1024] = {};
    TVITEMA query{};
    query.mask = TVIF_TEXT;
    query.hItem = item;
    query.pszText = text;
    query.cchTextMax = sizeof text;
    if (!SendMessageA(GetSafeHwnd(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query)))
        return {};
    return text;
}

UINT CTreeCtrl::GetItemState(HTREEITEM item, UINT mask) const
{
    return static_cast<UINT>(SendMessageA(GetSafeHwnd(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), mask));
}

} // namespace fw
