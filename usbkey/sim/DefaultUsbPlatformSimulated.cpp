// Test builds: the USB calls go to a simulated machine whose scenario is the file named by
// the KV_USB_SCENARIO environment variable, else "usb-scenario.txt" beside the program.
// The key-simulation tool rewrites that file to pull or insert a key.
#include "usbkey/DefaultUsbPlatform.h"

#include "usbkey/sim/SimUsbMachine.h"
#include "usbkey/WinUsbPlatform.h"

#include <windows.h>

#include <mutex>

namespace usbkey {

namespace {

std::string ScenarioPath()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("KV_USB_SCENARIO", path, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        return path;
    const DWORD module = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, module < MAX_PATH ? module : 0);
    const std::size_t slash = folder.find_last_of("\\/");
    folder.resize(slash == std::string::npos ? 0 : slash + 1);
    return folder + "usb-scenario.txt";
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
