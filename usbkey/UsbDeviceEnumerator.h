#pragma once
// Collects every connected USB device with its part of the device-node tree: its child
// nodes, its removal relations (the volumes that go with it) and their drive letters.
#include "usbkey/UsbPortEnumerator.h"

#include <unordered_set>
#include <vector>

namespace usbkey {

struct CDriveLetterEntry {
    char driveLetter = 0;
    std::string volumeName;          // as GetVolumeNameForVolumeMountPointA gives it
    std::string volumeInterfacePath;  // the volume interface's device path with "\" appended
    std::string volumeInstanceId;
};

// Nodes deeper than this below a device are left out.
constexpr int kMaxDevNodeDepth = 16;

class CUsbDeviceEnumerator : public CUsbPortEnumerator {
public:
    CUsbDeviceEnumerator(CUsbPlatform& platform, int portFieldMask, int propertyMask,
                         std::vector<CUsbDevice>* result);

    void Enumerate() override;

    const std::vector<CDriveLetterEntry>& DriveLetters() const { return m_driveLetters; }

protected:
    virtual void AddDevNodeSubtree(DevInst node, bool withSiblings, CDevNodeTree& tree, CDevNodeTree::Position at);
    virtual void BuildDevNodeTree(DevInst node, CUsbDevice& device);
    virtual void ReadDevNodeInfo(DevInst node, CDevNodeInfo& info);
    virtual void AddDevice(const CUsbDevice& device);

    void OnDevice(CUsbIoDevice& hub, std::uint32_t port, const ConnectionInfo& info) override;
    bool ReadDevice(CUsbIoDevice& hub, std::uint32_t port, const ConnectionInfo& info, CUsbDevice& device);

private:
    void BuildDriveLetterTable();
    void AddDevNodeContents(DevInst node, CDevNodeTree& tree, CDevNodeTree::Position at);
    void AddRemovalRelations(const std::string& instanceId, CDevNodeTree& tree, CDevNodeTree::Position at);
    bool ReadMultiStringProperty(DevInst node, std::uint32_t property, std::vector<std::string>& strings);
    char DriveLetterOf(const std::string& instanceId) const;
    bool Visit(DevInst node) { return node != 0 && m_visited.insert(node).second; }

    std::vector<CUsbDevice>* m_result;
    int m_propertyMask;
    std::vector<CDriveLetterEntry> m_driveLetters;
    std::unordered_set<DevInst> m_visited;  // nodes already in the current device's tree
};

// The configuration of the re-check worker: vendor id, product id and serial number;
// drive letter, friendly name and description.
class CUsbKeyDeviceEnumerator : public CUsbDeviceEnumerator {
public:
    CUsbKeyDeviceEnumerator(CUsbPlatform& platform, std::vector<CUsbDevice>& result);
};

} // namespace usbkey
