#include "framework/ListCtrl.h"

namespace fw {

DWORD CListCtrl::GetExtendedStyle() const
{
    return static_cast<DWORD>(SendMessageA(GetSafeHwnd(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
}

void CListCtrl::SetExtendedStyle(DWORD style)
{
    SendMessageA(GetSafeHwnd(), LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style));
}

int CListCtrl::InsertColumn(int column, const LVCOLUMNA& format)
{
    return static_cast<int>(SendMessageA(GetSafeHwnd(), LVM_INSERTCOLUMNA, static_cast<WPARAM>(column),
                                         reinterpret_cast<LPARAM>(&format)));
}

void CListCtrl::SetColumnWidth(int column, int width)
{
    SendMessageA(GetSafeHwnd(), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0));
}

int CListCtrl::GetItemCount() const
{
    return static_cast<int>(SendMessageA(GetSafeHwnd(), LVM_GETITEMCOUNT, 0, 0));
}

int CListCtrl::InsertItem(const LVITEMA& item)
{
    return static_cast<int>(SendMessageA(GetSafeHwnd(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

bool CListCtrl::SetItemText(int row, int column, const std::string& text)
{
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    return SendMessageA(GetSafeHwnd(), LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)) != 0;
}

std::string CListCtrl::GetItemText(int row, int column) const
{
    char text[1024] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    const LRESULT length =
        SendMessageA(GetSafeHwnd(), LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

LPARAM CListCtrl::GetItemData(int row) const
{
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(GetSafeHwnd(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return 0;
    return item.lParam;
}

bool CListCtrl::SetItemState(int row, UINT state, UINT mask)
{
    LVITEMA item{};
    item.state = state;
    item.stateMask = mask;
    return SendMessageA(GetSafeHwnd(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)) != 0;
}

UINT CListCtrl::GetItemState(int row, UINT mask) const
{
    return static_cast<UINT>(SendMessageA(GetSafeHwnd(), LVM_GETITEMSTATE, static_cast<WPARAM>(row), mask));
}

// The state image: 1 unchecked, 2 checked.
bool CListCtrl::GetCheck(int row) const
{
    return (GetItemState(row, LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void CListCtrl::SetCheck(int row, bool checked)
{
    SetItemState(row, INDEXTOSTATEIMAGEMASK(checked ? 2 : 1), LVIS_STATEIMAGEMASK);
}

int CListCtrl::GetNextItem(int start, UINT flags) const
{
    return static_cast<int>(SendMessageA(GetSafeHwnd(), LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)));
}

bool CListCtrl::DeleteAllItems()
{
    return SendMessageA(GetSafeHwnd(), LVM_DELETEALLITEMS, 0, 0) != 0;
}

void CListCtrl::SetRedraw(bool redraw)
{
    SendMessageA(GetSafeHwnd(), WM_SETREDRAW, redraw ? TRUE : FALSE, 0);
    if (redraw)
        InvalidateRect(GetSafeHwnd(), nullptr, TRUE);
}

} // namespace fw
