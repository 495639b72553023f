#pragma once
// One device's tree of display names, fully expanded.
#include "framework/TreeCtrl.h"
#include "usbkey/DeviceNameNode.h"

class CDeviceTreeCtrl : public fw::CTreeCtrl {
public:
    // Replaces the items with the tree under `root`; null leaves it empty.
    void SetDeviceTree(const CDeviceNameNode* root);
    void InsertNode(const CDeviceNameNode* node, HTREEITEM parent);
};
