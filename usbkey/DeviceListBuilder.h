#pragma once
// Turns the enumeration's devices into the snapshot list with display-name trees.
#include "usbkey/UsbDevice.h"
#include "usbkey/UsbDeviceList.h"

#include <string>
#include <vector>

namespace usbkey {

// The friendly name, else the description; " - (E:)" after it for a volume with a letter.
std::string MakeDisplayName(const CDevNodeInfo& info);

// Replaces `list` with one entry per device, in order.
void BuildDeviceList(const std::vector<CUsbDevice>& devices, CUsbDeviceList& list);

} // namespace usbkey
