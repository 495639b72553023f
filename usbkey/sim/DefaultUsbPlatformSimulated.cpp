// Test builds: the USB calls go to a simulated machine whose scenario is the file named by
// the KV_USB_SCENARIO environment variable, else "usb-scenario.txt" beside the program.
// The key-simulation tool rewrites that file to pull or insert a key.
#include "usbkey/DefaultUsbPlatform.h"

#include "common/ScenarioFile.h"
#include "usbkey/sim/SimUsbMachine.h"
#include "usbkey/WinUsbPlatform.h"

#include <mutex>

namespace usbkey {

namespace {

std::string ScenarioPath()
{
    return ScenarioFilePath("KV_USB_SCENARIO", "usb-scenario.txt");
}

// Text from string descriptors in the program's code page, as on a real machine.
class CSimulatedPlatform : public CSimUsbMachine {
public:
    std::string WideToMultiByte(const char16_t* text, std::size_t count) override { return WideToAnsi(text, count); }
};

} // namespace

CUsbPlatform& DefaultUsbPlatform()
{
    static CSimulatedPlatform platform;
    static std::once_flag watching;
    std::call_once(watching, [] { platform.WatchScenarioFile(ScenarioPath()); });
    return platform;
}

} // namespace usbkey
