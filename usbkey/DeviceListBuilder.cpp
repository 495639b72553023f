#include "usbkey/DeviceListBuilder.h"

#include <utility>

namespace usbkey {

namespace {

// Depth first, children in sibling order. The name tree's children live by value, so a
// child is filled in completely before its next sibling is appended.
void AddNames(const CDevNodeTreeNode& node, CDeviceNameNode& names)
{
    for (const CDevNodeTreeNode& child : CDevNodeTree::ChildrenOf(node)) {
        CDeviceNameNode& childNames = names.AddChild(MakeDisplayName(child.Info()));
        AddNames(child, childNames);
    }
}

} // namespace

std::string MakeDisplayName(const CDevNodeInfo& info)
{
    std::string name = info.friendlyName.empty() ? info.description : info.friendlyName;
    if (info.driveLetter != 0)
        name += std::string(" - (") + info.driveLetter + ":)";
    return name;
}

void BuildDeviceList(const std::vector<CUsbDevice>& devices, CUsbDeviceList& list)
{
    list.RemoveAll();
    for (const CUsbDevice& device : devices) {
        CDeviceNameNode names;
        if (const CDevNodeTreeNode* root = device.tree.Root()) {
            names.SetText(MakeDisplayName(root->Info()));
            AddNames(*root, names);
        }
        list.AddTail(CUsbDeviceEntry(CKeyDevice(device.vendorId, device.productId, device.serialNumber),
                                     std::move(names)));
    }
}

} // namespace usbkey
