#include "usbkey/DeviceInterfaces.h"

#include "usbkey/UsbLayout.h"

#include <cstring>
#include <vector>

namespace usbkey {

using namespace layout;

namespace {

constexpr std::uint32_t kMaxDetailSize = 4096;

struct DeviceInfoSet {
    CUsbPlatform& platform;
    PlatformHandle handle;
    ~DeviceInfoSet()
    {
        if (handle != InvalidPlatformHandle())
            platform.SetupDiDestroyDeviceInfoList(handle);
    }
};

bool ReadInterfacePath(CUsbPlatform& platform, PlatformHandle set, const DeviceInterfaceData& data,
                       std::string& path, DevInst& node)
{
    std::uint32_t required = 0;
    platform.SetupDiGetDeviceInterfaceDetailA(set, data, nullptr, 0, &required, nullptr);
    if (required <= kInterfaceDetailPath || required > kMaxDetailSize)
        return false;
    std::vector<std::uint8_t> detail(required + 1, 0);  // one more byte keeps the path terminated
    Write32(detail.data(), kInterfaceDetailCbSize);
    DevInfoData devInfo{};
    devInfo.cbSize = kDevInfoDataCbSize;
    if (!platform.SetupDiGetDeviceInterfaceDetailA(set, data, detail.data(), required, nullptr, &devInfo))
        return false;
    const char* text = reinterpret_cast<const char*>(detail.data() + kInterfaceDetailPath);
    path.assign(text, strnlen(text, required - kInterfaceDetailPath));
    node = devInfo.devInst;
    return !path.empty();
}

} // namespace

void ForEachDeviceInterface(CUsbPlatform& platform, const Guid& interfaceClass,
                            const std::function<void(const std::string& path, DevInst node)>& visit)
{
    const DeviceInfoSet set{platform, platform.SetupDiGetClassDevsA(interfaceClass, kDigcfPresent | kDigcfDeviceInterface)};
    if (set.handle == InvalidPlatformHandle() || set.handle == nullptr)
        return;
    for (std::uint32_t index = 0;; ++index) {
        DeviceInterfaceData data{};
        data.cbSize = kInterfaceDataCbSize;
        if (!platform.SetupDiEnumDeviceInterfaces(set.handle, interfaceClass, index, &data))
            break;
        std::string path;
        DevInst node = 0;
        if (ReadInterfacePath(platform, set.handle, data, path, node))
            visit(path, node);
    }
}

} // namespace usbkey
