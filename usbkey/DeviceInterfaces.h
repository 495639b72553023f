#pragma once
// Walks the present device interfaces of one class.
#include "usbkey/UsbPlatform.h"

#include <functional>
#include <string>

namespace usbkey {

// Calls `visit` with each interface's device path and the device node it belongs to.
void ForEachDeviceInterface(CUsbPlatform& platform, const Guid& interfaceClass,
                            const std::function<void(const std::string& path, DevInst node)>& visit);

} // namespace usbkey
