#pragma once
// One USB device as the enumeration finds it: what its hub reports, and its part of the
// device-node tree (its own node at the root).
#include "usbkey/DevNodeTree.h"

#include <cstdint>
#include <string>

namespace usbkey {

struct CUsbDeviceInfo {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string manufacturer;
    std::string product;
    std::string serialNumber;
    std::uint16_t bcdUsb = 0;
    int speed = 0;  // 0 low, 1 full, 2 high, as the connection information gives it
};

struct CUsbDevice : CUsbDeviceInfo {
    CDevNodeTree tree;
};

// Which fields of CUsbDeviceInfo the port walk reads.
enum UsbPortFieldMask : int {
    kPortVendorId = 0x01,
    kPortProductId = 0x02,
    kPortManufacturer = 0x04,
    kPortProduct = 0x08,
    kPortSerialNumber = 0x10,
    kPortBcdUsb = 0x20,
    kPortSpeed = 0x40,
};

} // namespace usbkey
