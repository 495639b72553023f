#pragma once
// The platform that the program's USB calls go to: the real one in shipped programs, the
// simulated machine in test builds (the KV_SIMULATED_USB build option).
#include "usbkey/UsbPlatform.h"

namespace usbkey {

CUsbPlatform& DefaultUsbPlatform();

} // namespace usbkey
