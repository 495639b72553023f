#pragma once
// Walks the hubs and reads what each connected device's hub reports: ids, strings, bcdUSB
// and speed, per the port-field mask.
#include "usbkey/UsbDevice.h"
#include "usbkey/UsbHostEnumerator.h"

#include <map>
#include <string>

namespace usbkey {

class CUsbPortEnumerator : public CUsbHostEnumerator {
public:
    CUsbPortEnumerator(CUsbPlatform& platform, int portFieldMask);

    void Enumerate() override;

    // The device node whose driver key equals `driverKey` ignoring case, or 0.
    DevInst FindDevNodeByDriverKey(const std::string& driverKey);
    // The serial-number tail of a "USB\VID_xxxx&PID_xxxx\tail" instance id; a tail with
    // '&' was made up by the platform for a device without one. False for node 0.
    bool ParseUsbInstanceId(DevInst node, std::string& serialNumber);

protected:
    // False when the port holds no connected device.
    bool ReadPortDevice(CUsbIoDevice& hub, std::uint32_t port, const ConnectionInfo& info, CUsbDeviceInfo& device);
    bool ReadInstanceId(DevInst node, std::string& id);
    bool ReadStringProperty(DevInst node, std::uint32_t property, std::string& text);

private:
    void ReadStrings(CUsbIoDevice& hub, std::uint32_t port, const std::uint8_t* descriptor, CUsbDeviceInfo& device);
    std::string SerialFromInstanceId(CUsbIoDevice& hub, std::uint32_t port);
    void IndexDriverKeys();

    int m_portFieldMask;
    // Driver keys (upper-cased) to the first node in tree order that has them, read once
    // per run so that finding every device's node stays linear in the tree's size.
    std::map<std::string, DevInst> m_driverKeyIndex;
    bool m_driverKeysIndexed = false;
};

} // namespace usbkey
