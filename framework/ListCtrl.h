#pragma once
// A list-view control of a dialog, bound with SubclassDlgItem; thin calls over the
// LVM_ messages (ANSI texts).
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "framework/SubclassWnd.h"

namespace fw {

class CListCtrl : public CSubclassWnd {
public:
    DWORD GetExtendedStyle() const;
    void SetExtendedStyle(DWORD style);
    int InsertColumn(int column, const LVCOLUMNA& format);
    void SetColumnWidth(int column, int width);

    int GetItemCount() const;
    // Returns the new row's index, or -1.
    int InsertItem(const LVITEMA& item);
    bool SetItemText(int row, int column, const std::string& text);
    std::string GetItemText(int row, int column) const;
    LPARAM GetItemData(int row) const;
    bool SetItemState(int row, UINT state, UINT mask);
    UINT GetItemState(int row, UINT mask) const;
    bool GetCheck(int row) const;
    void SetCheck(int row, bool checked);
    // The next row after `start` (-1: from the top) with the LVNI_ flags, or -1.
    int GetNextItem(int start, UINT flags) const;
    bool DeleteAllItems();
    // Off while many rows change; back on repaints the whole control.
    void SetRedraw(bool redraw);
};

} // namespace fw
