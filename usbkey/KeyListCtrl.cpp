#include "usbkey/KeyListCtrl.h"

#include "framework/AnsiText.h"

#include <cstdio>

namespace {

void InsertTitledColumn(fw::CListCtrl& list, int column, const char* utf8Title)
{
    const std::string title = fw::AnsiFromUtf8(utf8Title);
    LVCOLUMNA format{};
    format.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    format.fmt = LVCFMT_LEFT;
    format.pszText = const_cast<char*>(title.c_str());
    list.InsertColumn(column, format);
}

} // namespace

std::string FormatDeviceId(std::uint16_t id)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(id));
    return text;
}

void CKeyListCtrl::InitColumns()
{
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    InsertTitledColumn(*this, 0, "ベンダーＩＤ");
    InsertTitledColumn(*this, 1, "プロダクトＩＤ");
    InsertTitledColumn(*this, 2, "シリアル番号");
    for (int column = 0; column < 3; ++column)
        SetColumnWidth(column, LVSCW_AUTOSIZE_USEHEADER);
}

void CKeyListCtrl::SetKeyDevices(const CKeyDeviceList& keys)
{
    for (const CKeyDevice& key : keys) {
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
        item.iItem = GetItemCount();
        item.pszText = const_cast<char*>("");
        const int row = InsertItem(item);
        if (row >= 0)
            SetItemDevice(row, key);
    }
    SetColumnWidth(2, LVSCW_AUTOSIZE_USEHEADER);
}

void CKeyListCtrl::SetItemDevice(int row, const CKeyDevice& key)
{
    SetItemText(row, 0, FormatDeviceId(key.m_vendorId));
    SetItemText(row, 1, FormatDeviceId(key.m_productId));
    SetItemText(row, 2, key.m_serialNumber);
}
