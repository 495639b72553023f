#include "usbkey/HardwareListCtrl.h"

#include <algorithm>

void CHardwareListCtrl::InitColumns()
{
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_CHECKBOXES);
    LVCOLUMNA format{};
    format.mask = LVCF_FMT;
    format.fmt = LVCFMT_LEFT;
    InsertColumn(0, format);
    SetColumnWidth(0, LVSCW_AUTOSIZE_USEHEADER);
}

void CHardwareListCtrl::SetDevices(const CUsbDeviceList* devices)
{
    DeleteAllItems();
    if (!devices)
        return;
    CKeyDeviceList hidden = m_hideList;
    SetRedraw(false);  // a visible list repaints at every insertion otherwise
    LPARAM position = 0;
    for (const CUsbDeviceEntry& entry : *devices) {
        const auto match = std::find_if(hidden.begin(), hidden.end(),
                                        [&](const CKeyDevice& key) { return IsSameKeyDevice(key, entry); });
        if (match != hidden.end()) {
            hidden.erase(match);
        } else {
            LVITEMA item{};
            item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
            item.iItem = GetItemCount();
            item.pszText = const_cast<char*>(entry.m_names.GetText().c_str());
            item.lParam = position;
            InsertItem(item);
        }
        ++position;
    }
    SetRedraw(true);
    SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

int CHardwareListCtrl::GetCheckedCount() const
{
    int checked = 0;
    for (int row = 0, rows = GetItemCount(); row < rows; ++row)
        checked += GetCheck(row) ? 1 : 0;
    return checked;
}
