#pragma once
// Finds the USB host controllers (by the "\\.\HCDn" names and through the host-controller
// interface class), walks each root hub's ports and descends into external hubs. Each
// controller is walked once per run, however many names reach it.
#include "usbkey/UsbIoDevice.h"

#include <set>
#include <string>
#include <vector>

namespace usbkey {

enum UsbSearchMode : int {
    kSearchHcdNames = 1,
    kSearchInterfaceClass = 2,
};

// Hubs deeper than the USB tier limit (or met twice) are not walked.
constexpr int kMaxHubDepth = 7;

class CUsbHostEnumerator {
public:
    CUsbHostEnumerator(CUsbPlatform& platform, int searchMode);
    CUsbHostEnumerator(const CUsbHostEnumerator&) = delete;
    CUsbHostEnumerator& operator=(const CUsbHostEnumerator&) = delete;
    virtual ~CUsbHostEnumerator() = default;

    virtual void Enumerate();

protected:
    virtual void EnumerateByHcdNames();
    virtual void EnumerateByInterfaceClass();
    virtual void OnHostController(const std::string& deviceName);
    virtual void WalkHub(const std::string& hubName);
    virtual void OnPort(CUsbIoDevice& hub, std::uint32_t port);
    virtual void OnExternalHub(CUsbIoDevice& hub, std::uint32_t port, const ConnectionInfo& info);
    virtual void OnDevice(CUsbIoDevice& hub, std::uint32_t port, const ConnectionInfo& info);

    CUsbPlatform& Platform() const { return m_platform; }

private:
    void OnControllerName(const std::string& deviceName);

    CUsbPlatform& m_platform;
    int m_searchMode;
    std::vector<std::string> m_driverKeys;  // upper-cased, of the controllers visited this run
    std::set<std::string> m_visitedHubs;    // upper-cased hub names walked this run
    int m_hubDepth = 0;
};

} // namespace usbkey
