#include "usbkey/sim/SimUsbMachine.h"

#include "usbkey/UsbLayout.h"
#include "usbkey/UsbText.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace usbkey {

using namespace layout;

namespace {

constexpr ConfigRet kCrInvalidDevNode = 0x05;
constexpr ConfigRet kCrInvalidDeviceId = 0x1E;
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegMultiSz = 7;

bool IsHcdName(const std::string& name)
{
    return ToUpperMb(name).rfind("\\\\.\\HCD", 0) == 0;
}

// UTF-16 bytes of `text` with a terminator.
std::vector<std::uint8_t> Utf16z(const std::string& text)
{
    std::vector<std::uint8_t> bytes;
    for (const char c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c));
        bytes.push_back(0);
    }
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

bool NameMatches(const std::string& pattern, const std::string& name)
{
    return pattern.empty() || EqualsIgnoreCaseMb(pattern, name);
}

} // namespace

CSimUsbMachine::CSimUsbMachine()
{
    std::string error;
    Load("", error);
}

bool CSimUsbMachine::Load(const std::string& scenarioText, std::string& error)
{
    return ParseSimScenario(scenarioText, m_scenario, error);
}

void CSimUsbMachine::WatchScenarioFile(std::string path)
{
    m_scenarioFile.Watch(std::move(path));
    ReloadIfChanged();
}

// Only while nothing is open, so that a run never sees a handle outlive its machine.
void CSimUsbMachine::ReloadIfChanged()
{
    if (!m_scenarioFile.Watching() || !m_open.empty() || !m_scenarioFile.Changed())
        return;
    std::string error;
    Load(m_scenarioFile.Text(), error);
    m_lastError = m_scenarioFile.Readable() ? error : "cannot read " + m_scenarioFile.Path();
}

PlatformHandle CSimUsbMachine::NewHandle(OpenObject object)
{
    const std::uintptr_t value = m_nextHandle;
    m_nextHandle += 4;
    m_open.emplace(value, std::move(object));
    ++m_opens;
    return reinterpret_cast<PlatformHandle>(value);
}

PlatformHandle CSimUsbMachine::CreateFileA(const char* name, std::uint32_t, std::uint32_t, std::uint32_t creation,
                                           std::uint32_t)
{
    ReloadIfChanged();
    if (!name || creation != kOpenExisting)
        return InvalidPlatformHandle();
    const std::string text = name;
    for (const SimSlowOpen& slow : m_scenario.slowOpens)
        if (EqualsIgnoreCaseMb(slow.name, text))
            std::this_thread::sleep_for(std::chrono::milliseconds(slow.milliseconds));
    for (const SimFault& fault : m_scenario.faults)
        if (fault.kind == "open" && NameMatches(fault.name, text))
            return InvalidPlatformHandle();
    for (std::size_t i = 0; i < m_scenario.controllers.size(); ++i)
        if (EqualsIgnoreCaseMb(m_scenario.controllers[i].name, text))
            return NewHandle({OpenObject::Controller, text, static_cast<int>(i), {}});
    if (text.rfind("\\\\.\\", 0) == 0) {
        const auto hub = m_scenario.hubs.find(ToUpperMb(text.substr(4)));
        if (hub != m_scenario.hubs.end())
            return NewHandle({OpenObject::Hub, hub->second.name, -1, {}});
    }
    return InvalidPlatformHandle();
}

bool CSimUsbMachine::CloseHandle(PlatformHandle handle)
{
    ReloadIfChanged();
    ++m_closeCalls;
    const auto found = m_open.find(reinterpret_cast<std::uintptr_t>(handle));
    if (found == m_open.end() || found->second.kind == OpenObject::InterfaceSet) {
        ++m_badCloses;
        return false;
    }
    m_open.erase(found);
    for (const SimFault& fault : m_scenario.faults)
        if (fault.kind == "close")
            return false;
    return true;
}

const SimFault* CSimUsbMachine::FindIoFault(const OpenObject& object, std::uint32_t code, std::uint32_t port,
                                            int index) const
{
    for (const SimFault& fault : m_scenario.faults) {
        if (fault.kind != "ioctl" || fault.code != code || !NameMatches(fault.name, object.name))
            continue;
        if ((fault.port < 0 || fault.port == port) && (fault.index < 0 || fault.index == index))
            return &fault;
    }
    return nullptr;
}

bool CSimUsbMachine::DeviceIoControl(PlatformHandle handle, std::uint32_t code, const void* in,
                                     std::uint32_t inSize, void* out, std::uint32_t outSize,
                                     std::uint32_t* returned)
{
    ReloadIfChanged();
    if (returned)
        *returned = 0;
    const auto found = m_open.find(reinterpret_cast<std::uintptr_t>(handle));
    if (found == m_open.end() || found->second.kind == OpenObject::InterfaceSet || !out || !returned)
        return false;
    const auto* input = static_cast<const std::uint8_t*>(in);
    auto* output = static_cast<std::uint8_t*>(out);
    const std::uint32_t port = input && inSize >= 4 ? Read32(input) : 0;
    const int index = input && inSize >= kDescriptorData && code == kIoctlGetDescriptorFromNodeConnection
                          ? input[kSetupWValue]
                          : -1;
    const SimFault* fault = FindIoFault(found->second, code, port, index);
    if (fault && fault->actualLength < 0 && fault->returned < 0)
        return false;
    // The request buffer may be the reply buffer: keep a copy of the input.
    const std::vector<std::uint8_t> request(input, input ? input + inSize : input);
    std::fill(output, output + outSize, 0);
    std::uint32_t count = 0;
    if (!HandleIo(found->second, code, request.data(), inSize, output, outSize, count))
        return false;
    if (fault && fault->actualLength >= 0) {
        const std::size_t at = code == kIoctlGetHcdDriverKeyName || code == kIoctlGetRootHubName
                                   ? 0
                                   : kConnectionNameActualLength;
        if (outSize >= at + 4)
            Write32(output + at, static_cast<std::uint32_t>(fault->actualLength));
    }
    if (fault && fault->returned >= 0)
        count = std::min(static_cast<std::uint32_t>(fault->returned), outSize);
    *returned = count;
    return true;
}

bool CSimUsbMachine::HandleIo(const OpenObject& object, std::uint32_t code, const std::uint8_t* in,
                              std::uint32_t inSize, std::uint8_t* out, std::uint32_t outSize,
                              std::uint32_t& returned)
{
    const std::uint32_t port = inSize >= 4 ? Read32(in) : 0;
    if (object.kind == OpenObject::Controller) {
        const SimController& controller = m_scenario.controllers[static_cast<std::size_t>(object.controller)];
        if (code == kIoctlGetHcdDriverKeyName)
            return !controller.driverKey.empty() &&
                   AnswerName(controller.driverKey, kHcdNameHeader, 0, 0, false, out, outSize, returned);
        if (code == kIoctlGetRootHubName)  // the same code as node information: a controller answers this
            return !controller.rootHub.empty() &&
                   AnswerName(controller.rootHub, kHcdNameHeader, 0, 0, false, out, outSize, returned);
        return false;
    }
    const SimHub& hub = m_scenario.hubs.at(ToUpperMb(object.name));
    switch (code) {
    case kIoctlGetNodeInformation:
        if (outSize < kNodeInformationSize)
            return false;
        out[4] = 9;     // bDescriptorLength
        out[5] = 0x29;  // hub descriptor
        out[kNodeInformationPorts] = static_cast<std::uint8_t>(hub.ports);
        returned = kNodeInformationSize;
        return true;
    case kIoctlGetNodeConnectionInformationEx:
    case kIoctlGetNodeConnectionInformation:
        if (inSize < 4)
            return false;
        return AnswerConnection(hub.name, port, code == kIoctlGetNodeConnectionInformationEx, out, outSize, returned);
    case kIoctlGetNodeConnectionDriverKeyName:
    case kIoctlGetNodeConnectionName: {
        const auto connection = hub.connections.find(port);
        if (inSize < 4 || connection == hub.connections.end() || connection->second.connectionStatus != 1)
            return false;
        const std::string& name = code == kIoctlGetNodeConnectionName ? connection->second.externalHub
                                                                        : connection->second.driverKey;
        return !name.empty() &&
               AnswerName(name, kConnectionNameHeader, kConnectionNameActualLength, port, true, out, outSize, returned);
    }
    case kIoctlGetDescriptorFromNodeConnection:
        return AnswerDescriptor(hub.name, in, inSize, out, outSize, returned);
    default:
        return false;
    }
}

// ActualLength is the size of the whole reply; what does not fit is cut off.
bool CSimUsbMachine::AnswerName(const std::string& name, std::size_t header, std::size_t actualOffset,
                                std::uint32_t port, bool withPort, std::uint8_t* out, std::uint32_t outSize,
                                std::uint32_t& returned)
{
    if (outSize < header)
        return false;
    const std::vector<std::uint8_t> text = Utf16z(name);
    const std::size_t textOffset = header - 2;
    const auto actualLength = static_cast<std::uint32_t>(textOffset + text.size());
    if (withPort)
        Write32(out, port);
    Write32(out + actualOffset, actualLength);
    const std::size_t fits = std::min<std::size_t>(text.size(), outSize - textOffset);
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(fits), out + textOffset);
    returned = static_cast<std::uint32_t>(textOffset + fits);
    return true;
}

bool CSimUsbMachine::AnswerConnection(const std::string& hubName, std::uint32_t port, bool ex, std::uint8_t* out,
                                      std::uint32_t outSize, std::uint32_t& returned)
{
    m_connectionQueries.push_back(hubName + ":" + std::to_string(port));
    const SimHub& hub = m_scenario.hubs.at(ToUpperMb(hubName));
    if (outSize < 35 || port == 0 || static_cast<int>(port) > hub.ports)
        return false;
    Write32(out + kConnectionIndex, port);
    returned = 35;
    const auto connection = hub.connections.find(port);
    if (connection == hub.connections.end())
        return true;  // NoDeviceConnected
    const SimPort& device = connection->second;
    std::uint8_t* descriptor = out + kDeviceDescriptor;
    descriptor[0] = 18;
    descriptor[1] = 1;
    Write16(descriptor + kDescBcdUsb, device.bcdUsb);
    descriptor[4] = device.isHub ? 9 : 0;
    descriptor[7] = 64;
    Write16(descriptor + kDescIdVendor, device.vendorId);
    Write16(descriptor + kDescIdProduct, device.productId);
    descriptor[kDescIManufacturer] = device.iManufacturer;
    descriptor[kDescIProduct] = device.iProduct;
    descriptor[kDescISerialNumber] = device.iSerialNumber;
    descriptor[17] = 1;
    out[22] = 1;  // CurrentConfigurationValue
    out[kSpeed] = ex ? device.speed : (device.speed == 0 ? 1 : 0);  // the old request: LowSpeed
    out[kDeviceIsHub] = device.isHub ? 1 : 0;
    Write16(out + 25, static_cast<std::uint16_t>(port + 1));  // DeviceAddress
    Write32(out + kConnectionStatus, device.connectionStatus);
    return true;
}

bool CSimUsbMachine::AnswerDescriptor(const std::string& hubName, const std::uint8_t* in, std::uint32_t inSize,
                                      std::uint8_t* out, std::uint32_t outSize, std::uint32_t& returned)
{
    if (inSize < kDescriptorData || outSize < kDescriptorData)
        return false;
    const std::uint32_t port = Read32(in);
    const std::uint16_t value = Read16(in + kSetupWValue);
    const std::uint16_t language = Read16(in + kSetupWIndex);
    const std::uint16_t wanted = Read16(in + kSetupWLength);
    const SimHub& hub = m_scenario.hubs.at(ToUpperMb(hubName));
    const auto connection = hub.connections.find(port);
    if (value >> 8 != kStringDescriptorType || connection == hub.connections.end() ||
        connection->second.connectionStatus != 1)
        return false;
    const SimPort& device = connection->second;
    const std::uint8_t index = static_cast<std::uint8_t>(value);
    std::vector<std::uint8_t> descriptor;
    if (index == 0) {
        if (device.languages.empty())
            return false;
        descriptor = {static_cast<std::uint8_t>(2 + 2 * device.languages.size()), kStringDescriptorType};
        for (const std::uint16_t id : device.languages)
            descriptor.insert(descriptor.end(), {static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8)});
    } else {
        const auto text = device.strings.find(index);
        const bool knownLanguage =
            std::find(device.languages.begin(), device.languages.end(), language) != device.languages.end();
        if (text == device.strings.end() || !knownLanguage)
            return false;
        descriptor = text->second;
    }
    std::memcpy(out, in, kDescriptorData);
    const std::size_t fits = std::min<std::size_t>({descriptor.size(), wanted, outSize - kDescriptorData});
    std::copy(descriptor.begin(), descriptor.begin() + static_cast<std::ptrdiff_t>(fits), out + kDescriptorData);
    returned = static_cast<std::uint32_t>(kDescriptorData + fits);
    return true;
}

bool CSimUsbMachine::GetVolumeNameForVolumeMountPointA(const char* mountPoint, char* volumeName, std::uint32_t size)
{
    ReloadIfChanged();
    if (!mountPoint || !volumeName)
        return false;
    const std::string point = mountPoint;
    for (const SimFault& fault : m_scenario.faults)
        if (fault.kind == "volume" && NameMatches(fault.name, point))
            return false;
    std::string volume;
    if (point.size() == 3 && point[1] == ':' && point[2] == '\\') {
        const auto mount = m_scenario.mounts.find(static_cast<char>(std::toupper(static_cast<unsigned char>(point[0]))));
        if (mount != m_scenario.mounts.end())
            volume = mount->second;
    } else {
        for (const SimVolumeInterface& member : m_scenario.volumeInterfaces)
            if (EqualsIgnoreCaseMb(member.path + "\\", point))
                volume = member.volumeName;
    }
    if (volume.empty() || volume.size() + 1 > size)
        return false;
    std::memcpy(volumeName, volume.c_str(), volume.size() + 1);
    return true;
}

std::string CSimUsbMachine::WideToMultiByte(const char16_t* text, std::size_t count)
{
    std::string converted;
    for (std::size_t i = 0; i < count; ++i)
        converted.push_back(text[i] < 0x80 ? static_cast<char>(text[i]) : '?');
    return converted;
}

PlatformHandle CSimUsbMachine::SetupDiGetClassDevsA(const Guid& classGuid, std::uint32_t flags)
{
    ReloadIfChanged();
    const bool hostControllers = classGuid == kHostControllerInterface;
    for (const SimFault& fault : m_scenario.faults)
        if (fault.kind == "classdevs" && (fault.interfaceClass.empty() ||
                                          (fault.interfaceClass == "hc") == hostControllers))
            return InvalidPlatformHandle();
    if ((flags & (kDigcfPresent | kDigcfDeviceInterface)) != (kDigcfPresent | kDigcfDeviceInterface))
        return InvalidPlatformHandle();
    OpenObject set{OpenObject::InterfaceSet, {}, -1, {}};
    if (hostControllers) {
        for (const SimController& controller : m_scenario.controllers)
            if (!IsHcdName(controller.name))
                set.members.push_back({controller.name, {}, {}});
    } else if (classGuid == kVolumeInterface) {
        set.members = m_scenario.volumeInterfaces;
    }
    return NewHandle(std::move(set));
}

bool CSimUsbMachine::SetupDiEnumDeviceInterfaces(PlatformHandle set, const Guid& classGuid, std::uint32_t index,
                                                 DeviceInterfaceData* data)
{
    ReloadIfChanged();
    const auto found = m_open.find(reinterpret_cast<std::uintptr_t>(set));
    if (found == m_open.end() || found->second.kind != OpenObject::InterfaceSet || !data ||
        data->cbSize != kInterfaceDataCbSize || index >= found->second.members.size())
        return false;
    data->interfaceClassGuid = classGuid;
    data->flags = 1;  // SPINT_ACTIVE
    data->reserved = index + 1;
    return true;
}

bool CSimUsbMachine::SetupDiGetDeviceInterfaceDetailA(PlatformHandle set, const DeviceInterfaceData& data,
                                                      void* detail, std::uint32_t detailSize,
                                                      std::uint32_t* required, DevInfoData* devInfo)
{
    ReloadIfChanged();
    const auto found = m_open.find(reinterpret_cast<std::uintptr_t>(set));
    if (found == m_open.end() || found->second.kind != OpenObject::InterfaceSet || data.reserved == 0 ||
        data.reserved > found->second.members.size())
        return false;
    const SimVolumeInterface& member = found->second.members[data.reserved - 1];
    const auto needed = static_cast<std::uint32_t>(kInterfaceDetailPath + member.path.size() + 1);
    if (required)
        *required = needed;
    if (!detail || detailSize < needed)
        return false;  // ERROR_INSUFFICIENT_BUFFER
    auto* bytes = static_cast<std::uint8_t*>(detail);
    if (Read32(bytes) != kInterfaceDetailCbSize || (devInfo && devInfo->cbSize != kDevInfoDataCbSize))
        return false;  // ERROR_INVALID_USER_BUFFER
    std::memcpy(bytes + kInterfaceDetailPath, member.path.c_str(), member.path.size() + 1);
    if (devInfo) {
        const auto node = m_scenario.nodeIndex.find(ToUpperMb(member.nodeId));
        devInfo->devInst = node == m_scenario.nodeIndex.end() ? 0 : static_cast<DevInst>(node->second + 1);
    }
    return true;
}

bool CSimUsbMachine::SetupDiDestroyDeviceInfoList(PlatformHandle set)
{
    ReloadIfChanged();
    ++m_closeCalls;
    const auto found = m_open.find(reinterpret_cast<std::uintptr_t>(set));
    if (found == m_open.end() || found->second.kind != OpenObject::InterfaceSet) {
        ++m_badCloses;
        return false;
    }
    m_open.erase(found);
    return true;
}

const SimNode* CSimUsbMachine::NodeOf(DevInst node) const
{
    return node >= 1 && node <= m_scenario.nodes.size() ? &m_scenario.nodes[node - 1] : nullptr;
}

bool CSimUsbMachine::CmFault(const char* call, DevInst node, std::uint32_t property, ConfigRet& result) const
{
    const SimNode* info = NodeOf(node);
    for (const SimFault& fault : m_scenario.faults) {
        if (fault.kind != "cm" || fault.call != call)
            continue;
        if (!fault.node.empty() && (!info || !EqualsIgnoreCaseMb(fault.node, info->id)))
            continue;
        if (fault.property >= 0 && fault.property != property)
            continue;
        result = fault.result;
        return true;
    }
    return false;
}

bool CSimUsbMachine::CmFaultById(const char* call, const std::string& id, ConfigRet& result) const
{
    for (const SimFault& fault : m_scenario.faults) {
        if (fault.kind == "cm" && fault.call == call && NameMatches(fault.node, id)) {
            result = fault.result;
            return true;
        }
    }
    return false;
}

ConfigRet CSimUsbMachine::CM_Locate_DevNodeA(DevInst* node, const char* id, std::uint32_t)
{
    ReloadIfChanged();
    if (!node)
        return kCrInvalidPointer;
    *node = 0;
    const std::string text = id ? id : "";
    ConfigRet result = kCrSuccess;
    if (CmFaultById("locate", text, result))
        return result;
    if (text.empty()) {
        *node = 1;
        return kCrSuccess;
    }
    const auto found = m_scenario.nodeIndex.find(ToUpperMb(text));
    if (found == m_scenario.nodeIndex.end())
        return kCrNoSuchDevNode;
    *node = static_cast<DevInst>(found->second + 1);
    return kCrSuccess;
}

ConfigRet CSimUsbMachine::CM_Get_Child(DevInst* child, DevInst node, std::uint32_t)
{
    ReloadIfChanged();
    if (!child)
        return kCrInvalidPointer;
    *child = 0;
    const SimNode* info = NodeOf(node);
    ConfigRet result = kCrSuccess;
    if (CmFault("child", node, 0, result))
        return result;
    if (!info)
        return kCrInvalidDevNode;
    if (info->children.empty())
        return kCrNoSuchDevNode;
    *child = static_cast<DevInst>(info->children.front() + 1);
    return kCrSuccess;
}

ConfigRet CSimUsbMachine::CM_Get_Sibling(DevInst* sibling, DevInst node, std::uint32_t)
{
    ReloadIfChanged();
    if (!sibling)
        return kCrInvalidPointer;
    *sibling = 0;
    const SimNode* info = NodeOf(node);
    ConfigRet result = kCrSuccess;
    if (CmFault("sibling", node, 0, result))
        return result;
    if (!info)
        return kCrInvalidDevNode;
    if (info->nextSibling < 0)
        return kCrNoSuchDevNode;
    *sibling = static_cast<DevInst>(info->nextSibling + 1);
    return kCrSuccess;
}

ConfigRet CSimUsbMachine::CM_Get_Parent(DevInst* parent, DevInst node, std::uint32_t)
{
    ReloadIfChanged();
    if (!parent)
        return kCrInvalidPointer;
    *parent = 0;
    const SimNode* info = NodeOf(node);
    ConfigRet result = kCrSuccess;
    if (CmFault("parent", node, 0, result))
        return result;
    if (!info)
        return kCrInvalidDevNode;
    if (info->parent < 0)
        return kCrNoSuchDevNode;
    *parent = static_cast<DevInst>(info->parent + 1);
    return kCrSuccess;
}

ConfigRet CSimUsbMachine::CM_Get_Device_IDA(DevInst node, char* buffer, std::uint32_t length, std::uint32_t)
{
    ReloadIfChanged();
    const SimNode* info = NodeOf(node);
    ConfigRet result = kCrSuccess;
    if (CmFault("id", node, 0, result))
        return result;
    if (!info)
        return kCrInvalidDevNode;
    if (!buffer)
        return kCrInvalidPointer;
    if (info->id.size() + 1 > length)
        return kCrBufferSmall;
    std::memcpy(buffer, info->id.c_str(), info->id.size() + 1);
    return kCrSuccess;
}

ConfigRet CSimUsbMachine::CM_Get_DevNode_Registry_PropertyA(DevInst node, std::uint32_t property, std::uint32_t* type,
                                                            void* buffer, std::uint32_t* length, std::uint32_t)
{
    ReloadIfChanged();
    const SimNode* info = NodeOf(node);
    if (!length)
        return kCrInvalidPointer;
    std::string value;
    std::uint32_t valueType = kRegSz;
    ConfigRet forced = kCrSuccess;
    const bool faulted = CmFault("property", node, property, forced);
    if (!info)
        return kCrInvalidDevNode;
    if (const auto text = info->properties.find(property); text != info->properties.end()) {
        value = text->second + '\0';
    } else if (const auto list = info->multiStrings.find(property); list != info->multiStrings.end()) {
        for (const std::string& item : list->second)
            value += item + '\0';
        value += '\0';
        valueType = kRegMultiSz;
    } else if (!faulted) {
        return kCrNoSuchValue;
    }
    const auto needed = static_cast<std::uint32_t>(value.size());
    const std::uint32_t room = *length;
    *length = needed;
    if (faulted)
        return forced;
    if (!buffer || room < needed)
        return kCrBufferSmall;
    std::memcpy(buffer, value.data(), needed);
    if (type)
        *type = valueType;
    return kCrSuccess;
}

ConfigRet CSimUsbMachine::CM_Get_DevNode_Status(std::uint32_t* status, std::uint32_t* problem, DevInst node,
                                                std::uint32_t)
{
    ReloadIfChanged();
    const SimNode* info = NodeOf(node);
    ConfigRet result = kCrSuccess;
    if (CmFault("status", node, 0, result))
        return result;
    if (!status || !problem)
        return kCrInvalidPointer;
    if (!info)
        return kCrInvalidDevNode;
    *status = info->status;
    *problem = info->problem;
    return kCrSuccess;
}

std::string CSimUsbMachine::RemovalListOf(const SimNode& node) const
{
    std::string list;
    for (const std::string& id : node.removalRelations)
        list += id + '\0';
    return list + '\0';
}

ConfigRet CSimUsbMachine::CM_Get_Device_ID_List_SizeA(std::uint32_t* length, const char* filter, std::uint32_t flags)
{
    ReloadIfChanged();
    if (!length)
        return kCrInvalidPointer;
    *length = 0;
    const std::string id = filter ? filter : "";
    ConfigRet result = kCrSuccess;
    if (CmFaultById("idlistsize", id, result))
        return result;
    const auto found = m_scenario.nodeIndex.find(ToUpperMb(id));
    if (flags != kCmGetIdListFilterRemovalRelations || found == m_scenario.nodeIndex.end())
        return kCrInvalidDeviceId;
    *length = static_cast<std::uint32_t>(RemovalListOf(m_scenario.nodes[static_cast<std::size_t>(found->second)]).size());
    return kCrSuccess;
}

ConfigRet CSimUsbMachine::CM_Get_Device_ID_ListA(const char* filter, char* buffer, std::uint32_t length,
                                                 std::uint32_t flags)
{
    ReloadIfChanged();
    const std::string id = filter ? filter : "";
    ConfigRet result = kCrSuccess;
    if (CmFaultById("idlist", id, result))
        return result;
    const auto found = m_scenario.nodeIndex.find(ToUpperMb(id));
    if (flags != kCmGetIdListFilterRemovalRelations || found == m_scenario.nodeIndex.end())
        return kCrInvalidDeviceId;
    if (!buffer)
        return kCrInvalidPointer;
    const std::string list = RemovalListOf(m_scenario.nodes[static_cast<std::size_t>(found->second)]);
    if (list.size() > length)
        return kCrBufferSmall;
    std::memcpy(buffer, list.data(), list.size());
    return kCrSuccess;
}

} // namespace usbkey
