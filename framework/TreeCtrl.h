#pragma once
// A tree-view control of a dialog, bound with SubclassDlgItem; thin calls over the
// TVM_ messages (ANSI texts).
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "framework/SubclassWnd.h"

namespace fw {

class CTreeCtrl : public CSubclassWnd {
public:
    // The new item as the child of `parent` after `after`; null on failure.
    HTREEITEM InsertItem(const std::string& text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    bool DeleteAllItems();
    bool Expand(HTREEITEM item, UINT action);
    UINT GetCount() const;
    HTREEITEM GetRootItem() const;
    HTREEITEM GetChildItem(HTREEITEM item) const;
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const;
    std::string GetItemText(HTREEITEM item) const;
    UINT GetItemState(HTREEITEM item, UINT mask) const;
};

} // namespace fw
