#include "usbkey/UsbHostEnumerator.h"

#include "usbkey/DeviceInterfaces.h"
#include "usbkey/UsbLayout.h"
#include "usbkey/UsbText.h"

#include <algorithm>

namespace usbkey {

CUsbHostEnumerator::CUsbHostEnumerator(CUsbPlatform& platform, int searchMode)
    : m_platform(platform), m_searchMode(searchMode)
{
}

void CUsbHostEnumerator::Enumerate()
{
    m_driverKeys.clear();
    m_visitedHubs.clear();
    m_hubDepth = 0;
    if (m_searchMode & kSearchHcdNames)
        EnumerateByHcdNames();
    if (m_searchMode & kSearchInterfaceClass)
        EnumerateByInterfaceClass();
}

void CUsbHostEnumerator::EnumerateByHcdNames()
{
    for (int i = 0; i < 10; ++i)
        OnControllerName("\\\\.\\HCD" + std::to_string(i));
}

void CUsbHostEnumerator::EnumerateByInterfaceClass()
{
    ForEachDeviceInterface(m_platform, layout::kHostControllerInterface,
                           [this](const std::string& path, DevInst) { OnControllerName(path); });
}

// A controller that several names reach is walked by the first name only.
void CUsbHostEnumerator::OnControllerName(const std::string& deviceName)
{
    std::string key;
    {
        CUsbIoDevice controller(m_platform, deviceName);
        if (!controller.Open() || !controller.GetHcdDriverKeyName(key))
            return;
    }
    key = ToUpperMb(key);
    if (std::find(m_driverKeys.begin(), m_driverKeys.end(), key) != m_driverKeys.end())
        return;
    m_driverKeys.push_back(key);
    OnHostController(deviceName);
}

void CUsbHostEnumerator::OnHostController(const std::string& deviceName)
{
    std::string rootHub;
    {
        CUsbIoDevice controller(m_platform, deviceName);
        if (!controller.Open() || !controller.GetRootHubName(rootHub))
            return;
    }
    WalkHub(rootHub);
}

void CUsbHostEnumerator::WalkHub(const std::string& hubName)
{
    if (hubName.empty() || m_hubDepth >= kMaxHubDepth || !m_visitedHubs.insert(ToUpperMb(hubName)).second)
        return;
    CUsbIoDevice hub(m_platform, "\\\\.\\" + hubName);
    int ports = 0;
    if (!hub.Open() || !hub.GetNodeInformation(ports))
        return;
    ++m_hubDepth;
    for (int port = 1; port <= ports; ++port)
        OnPort(hub, static_cast<std::uint32_t>(port));
    --m_hubDepth;
}

void CUsbHostEnumerator::OnPort(CUsbIoDevice& hub, std::uint32_t port)
{
    ConnectionInfo info;
    if (!hub.GetConnectionInformation(port, info))
        return;
    if (info[layout::kDeviceIsHub] != 0)
        OnExternalHub(hub, port, info);
    else
        OnDevice(hub, port, info);
}

void CUsbHostEnumerator::OnExternalHub(CUsbIoDevice& hub, std::uint32_t port, const ConnectionInfo&)
{
    std::string name;
    hub.GetExternalHubName(port, name);
    WalkHub(name);
}

void CUsbHostEnumerator::OnDevice(CUsbIoDevice&, std::uint32_t, const ConnectionInfo&) {}

} // namespace usbkey
