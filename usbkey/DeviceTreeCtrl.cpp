#include "usbkey/DeviceTreeCtrl.h"

void CDeviceTreeCtrl::SetDeviceTree(const CDeviceNameNode* root)
{
    DeleteAllItems();
    if (root)
        InsertNode(root, TVI_ROOT);
}

void CDeviceTreeCtrl::InsertNode(const CDeviceNameNode* node, HTREEITEM parent)
{
    if (node) {
        const HTREEITEM item = InsertItem(node->GetText(), parent, TVI_LAST);
        for (const CDeviceNameNode& child : node->GetChildren())
            InsertNode(&child, item);
    }
    Expand(parent, TVE_EXPAND);
}
