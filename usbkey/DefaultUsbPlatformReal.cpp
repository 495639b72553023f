#include "usbkey/DefaultUsbPlatform.h"

#include "usbkey/WinUsbPlatform.h"

namespace usbkey {

CUsbPlatform& DefaultUsbPlatform()
{
    static CWinUsbPlatform platform;
    return platform;
}

} // namespace usbkey
