#include "usbkey/UsbDeviceEnumerator.h"

#include "usbkey/DeviceInterfaces.h"
#include "usbkey/UsbLayout.h"
#include "usbkey/UsbText.h"

#include <cstring>

namespace usbkey {

using namespace layout;

namespace {

constexpr std::uint32_t kVolumeNameSize = 260;
constexpr std::uint32_t kMaxMultiStringSize = 16384;
constexpr std::uint32_t kMaxIdListSize = 65536;

} // namespace

CUsbDeviceEnumerator::CUsbDeviceEnumerator(CUsbPlatform& platform, int portFieldMask, int propertyMask,
                                           std::vector<CUsbDevice>* result)
    : CUsbPortEnumerator(platform, portFieldMask), m_result(result), m_propertyMask(propertyMask)
{
}

void CUsbDeviceEnumerator::Enumerate()
{
    m_driveLetters.clear();
    if (m_propertyMask & kDevNodeDriveLetter)
        BuildDriveLetterTable();
    if (m_result)
        m_result->clear();
    CUsbPortEnumerator::Enumerate();
}

void CUsbDeviceEnumerator::BuildDriveLetterTable()
{
    for (char letter = 'A'; letter <= 'Y'; ++letter) {
        const char root[] = {letter, ':', '\\', '\0'};
        char volume[kVolumeNameSize] = {};
        if (Platform().GetVolumeNameForVolumeMountPointA(root, volume, kVolumeNameSize)) {
            volume[kVolumeNameSize - 1] = '\0';
            m_driveLetters.push_back({letter, volume, {}, {}});
        }
    }
    ForEachDeviceInterface(Platform(), kVolumeInterface, [this](const std::string& devicePath, DevInst node) {
        const std::string path = devicePath + "\\";
        char volume[kVolumeNameSize] = {};
        if (!Platform().GetVolumeNameForVolumeMountPointA(path.c_str(), volume, kVolumeNameSize))
            volume[0] = '\0';
        volume[kVolumeNameSize - 1] = '\0';
        std::string instanceId;
        ReadInstanceId(node, instanceId);
        for (CDriveLetterEntry& entry : m_driveLetters) {
            if (volume[0] != '\0' && EqualsIgnoreCaseMb(entry.volumeName, volume)) {
                entry.volumeInterfacePath = path;
                entry.volumeInstanceId = instanceId;
            }
        }
    });
}

// The last matching entry wins: a volume with two letters shows the later one. An id that
// could not be read matches nothing.
char CUsbDeviceEnumerator::DriveLetterOf(const std::string& instanceId) const
{
    char letter = 0;
    if (instanceId.empty())
        return letter;
    for (const CDriveLetterEntry& entry : m_driveLetters)
        if (EqualsIgnoreCaseMb(entry.volumeInstanceId, instanceId))
            letter = entry.driveLetter;
    return letter;
}

bool CUsbDeviceEnumerator::ReadMultiStringProperty(DevInst node, std::uint32_t property,
                                                   std::vector<std::string>& strings)
{
    strings.clear();
    if (node == 0)
        return false;
    std::uint32_t size = 0;
    const ConfigRet probe = Platform().CM_Get_DevNode_Registry_PropertyA(node, property, nullptr, nullptr, &size, 0);
    if (probe == kCrNoSuchValue)
        return true;  // no such filters
    if (probe != kCrBufferSmall || size == 0 || size > kMaxMultiStringSize)
        return false;
    std::vector<char> buffer(size, '\0');
    std::uint32_t length = size;
    if (Platform().CM_Get_DevNode_Registry_PropertyA(node, property, nullptr, buffer.data(), &length, 0) != kCrSuccess)
        return false;
    for (std::size_t at = 0; at < buffer.size();) {
        const std::size_t length = strnlen(&buffer[at], buffer.size() - at);
        if (length == 0)
            break;
        strings.emplace_back(&buffer[at], length);
        at += length + 1;
    }
    return true;
}

void CUsbDeviceEnumerator::ReadDevNodeInfo(DevInst node, CDevNodeInfo& info)
{
    if (node == 0)
        return;
    const int mask = m_propertyMask;
    if (mask & (kDevNodeInstanceId | kDevNodeDriveLetter))
        ReadInstanceId(node, info.instanceId);
    if (mask & kDevNodeDriveLetter)
        info.driveLetter = DriveLetterOf(info.instanceId);
    if (mask & kDevNodeEnumerator)
        ReadStringProperty(node, kCmDrpEnumeratorName, info.enumerator);
    if (mask & kDevNodeFriendlyName)
        ReadStringProperty(node, kCmDrpFriendlyName, info.friendlyName);
    if (mask & kDevNodeDescription)
        ReadStringProperty(node, kCmDrpDeviceDesc, info.description);
    if (mask & kDevNodeClassGuid)
        ReadStringProperty(node, kCmDrpClassGuid, info.classGuid);
    if (mask & kDevNodeLowerFilters)
        ReadMultiStringProperty(node, kCmDrpLowerFilters, info.lowerFilters);
    if (mask & kDevNodeUpperFilters)
        ReadMultiStringProperty(node, kCmDrpUpperFilters, info.upperFilters);
    info.devNode = node;
    if (mask & (kDevNodeStatus | kDevNodeProblem)) {
        std::uint32_t status = 0;
        std::uint32_t problem = 0;
        if (Platform().CM_Get_DevNode_Status(&status, &problem, node, 0) == kCrSuccess) {
            if (mask & kDevNodeStatus)
                info.status = status;
            if (mask & kDevNodeProblem)
                info.problem = problem;
        }
    }
}

void CUsbDeviceEnumerator::BuildDevNodeTree(DevInst node, CUsbDevice& device)
{
    device.tree.Clear();
    const CDevNodeTree::Position root = device.tree.SetRoot(CDevNodeInfo{});
    m_visited.clear();
    if (Visit(node))
        AddDevNodeSubtree(node, false, device.tree, root);
}

// The node's own information, children and removal relations; then, with `withSiblings`,
// the same for each of its later siblings (a loop, so long sibling chains cost no stack).
void CUsbDeviceEnumerator::AddDevNodeSubtree(DevInst node, bool withSiblings, CDevNodeTree& tree,
                                             CDevNodeTree::Position at)
{
    AddDevNodeContents(node, tree, at);
    while (withSiblings) {
        DevInst sibling = 0;
        if (Platform().CM_Get_Sibling(&sibling, node, 0) != kCrSuccess || !Visit(sibling))
            break;
        at = tree.AppendSibling(at, CDevNodeInfo{});
        AddDevNodeContents(sibling, tree, at);
        node = sibling;
    }
}

void CUsbDeviceEnumerator::AddDevNodeContents(DevInst node, CDevNodeTree& tree, CDevNodeTree::Position at)
{
    ReadDevNodeInfo(node, at->Info());
    if (at->Depth() >= kMaxDevNodeDepth)
        return;
    DevInst child = 0;
    if (Platform().CM_Get_Child(&child, node, 0) == kCrSuccess && Visit(child))
        AddDevNodeSubtree(child, true, tree, tree.AppendChild(at, CDevNodeInfo{}));
    std::string instanceId = at->Info().instanceId;
    if (instanceId.empty())
        ReadInstanceId(node, instanceId);
    AddRemovalRelations(instanceId, tree, at);
}

void CUsbDeviceEnumerator::AddRemovalRelations(const std::string& instanceId, CDevNodeTree& tree,
                                               CDevNodeTree::Position at)
{
    // An empty filter would list every device of the machine.
    if (instanceId.empty())
        return;
    std::uint32_t size = 0;
    if (Platform().CM_Get_Device_ID_List_SizeA(&size, instanceId.c_str(), kCmGetIdListFilterRemovalRelations) !=
            kCrSuccess ||
        size == 0 || size > kMaxIdListSize)
        return;
    std::vector<char> list(size + 1, '\0');  // one more keeps the last id terminated
    if (Platform().CM_Get_Device_ID_ListA(instanceId.c_str(), list.data(), size,
                                          kCmGetIdListFilterRemovalRelations) != kCrSuccess)
        return;
    for (std::size_t offset = 0; offset < size && list[offset] != '\0';) {
        const std::string id(&list[offset]);
        offset += id.size() + 1;
        DevInst relation = 0;
        if (Platform().CM_Locate_DevNodeA(&relation, id.c_str(), 0) == kCrSuccess && Visit(relation))
            AddDevNodeSubtree(relation, false, tree, tree.AppendChild(at, CDevNodeInfo{}));
    }
}

bool CUsbDeviceEnumerator::ReadDevice(CUsbIoDevice& hub, std::uint32_t port, const ConnectionInfo& info,
                                      CUsbDevice& device)
{
    device.tree.Clear();
    if (!ReadPortDevice(hub, port, info, device))
        return false;
    std::string driverKey;
    if (!hub.GetConnectionDriverKeyName(port, driverKey))
        return false;
    BuildDevNodeTree(FindDevNodeByDriverKey(driverKey), device);
    return true;
}

void CUsbDeviceEnumerator::OnDevice(CUsbIoDevice& hub, std::uint32_t port, const ConnectionInfo& info)
{
    CUsbDevice device;
    if (ReadDevice(hub, port, info, device))
        AddDevice(device);
}

void CUsbDeviceEnumerator::AddDevice(const CUsbDevice& device)
{
    if (m_result)
        m_result->push_back(device);
}

CUsbKeyDeviceEnumerator::CUsbKeyDeviceEnumerator(CUsbPlatform& platform, std::vector<CUsbDevice>& result)
    : CUsbDeviceEnumerator(platform, kPortVendorId | kPortProductId | kPortSerialNumber,
                           kDevNodeDriveLetter | kDevNodeFriendlyName | kDevNodeDescription, &result)
{
}

} // namespace usbkey
