#include "usbkey/WinUsbPlatform.h"

#include "usbkey/UsbLayout.h"

#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>
#include <usbioctl.h>
#include <usbiodef.h>
#include <winioctl.h>

#include <cstddef>

namespace usbkey {

// The portable layout must be the platform's.
namespace L = layout;
static_assert(sizeof(Guid) == sizeof(GUID));
static_assert(sizeof(DeviceInterfaceData) == sizeof(SP_DEVICE_INTERFACE_DATA));
static_assert(offsetof(DeviceInterfaceData, reserved) == offsetof(SP_DEVICE_INTERFACE_DATA, Reserved));
static_assert(sizeof(DevInfoData) == sizeof(SP_DEVINFO_DATA));
static_assert(offsetof(DevInfoData, devInst) == offsetof(SP_DEVINFO_DATA, DevInst));
static_assert(L::kDevInfoDataCbSize == sizeof(SP_DEVINFO_DATA));
static_assert(L::kInterfaceDataCbSize == sizeof(SP_DEVICE_INTERFACE_DATA));
static_assert(L::kInterfaceDetailCbSize == sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A));
static_assert(L::kInterfaceDetailPath == offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath));
#ifndef _WIN64
static_assert(L::kInterfaceDetailCbSize == 5 && L::kDevInfoDataCbSize == 28 && L::kInterfaceDataCbSize == 28);
#endif
static_assert(L::kIoctlGetHcdDriverKeyName == IOCTL_GET_HCD_DRIVERKEY_NAME);
static_assert(L::kIoctlGetRootHubName == IOCTL_USB_GET_ROOT_HUB_NAME);
static_assert(L::kIoctlGetNodeInformation == IOCTL_USB_GET_NODE_INFORMATION);
static_assert(L::kIoctlGetNodeConnectionInformation == IOCTL_USB_GET_NODE_CONNECTION_INFORMATION);
static_assert(L::kIoctlGetNodeConnectionInformationEx == IOCTL_USB_GET_NODE_CONNECTION_INFORMATION_EX);
static_assert(L::kIoctlGetDescriptorFromNodeConnection == IOCTL_USB_GET_DESCRIPTOR_FROM_NODE_CONNECTION);
static_assert(L::kIoctlGetNodeConnectionName == IOCTL_USB_GET_NODE_CONNECTION_NAME);
static_assert(L::kIoctlGetNodeConnectionDriverKeyName == IOCTL_USB_GET_NODE_CONNECTION_DRIVERKEY_NAME);
static_assert(L::kHcdNameHeader == sizeof(USB_HCD_DRIVERKEY_NAME));
static_assert(L::kHcdNameText == offsetof(USB_HCD_DRIVERKEY_NAME, DriverKeyName));
static_assert(L::kHcdNameHeader == sizeof(USB_ROOT_HUB_NAME));
static_assert(L::kConnectionNameHeader == sizeof(USB_NODE_CONNECTION_DRIVERKEY_NAME));
static_assert(L::kConnectionNameActualLength == offsetof(USB_NODE_CONNECTION_DRIVERKEY_NAME, ActualLength));
static_assert(L::kConnectionNameText == offsetof(USB_NODE_CONNECTION_DRIVERKEY_NAME, DriverKeyName));
static_assert(L::kConnectionNameText == offsetof(USB_NODE_CONNECTION_NAME, NodeName));
static_assert(L::kNodeInformationSize == sizeof(USB_NODE_INFORMATION));
static_assert(L::kNodeInformationPorts ==
              offsetof(USB_NODE_INFORMATION, u.HubInformation.HubDescriptor.bNumberOfPorts));
static_assert(L::kConnectionInfoSize == sizeof(USB_NODE_CONNECTION_INFORMATION_EX) + 30 * sizeof(USB_PIPE_INFO));
static_assert(L::kDeviceDescriptor == offsetof(USB_NODE_CONNECTION_INFORMATION_EX, DeviceDescriptor));
static_assert(L::kSpeed == offsetof(USB_NODE_CONNECTION_INFORMATION_EX, Speed));
static_assert(L::kSpeed == offsetof(USB_NODE_CONNECTION_INFORMATION, LowSpeed));
static_assert(L::kDeviceIsHub == offsetof(USB_NODE_CONNECTION_INFORMATION_EX, DeviceIsHub));
static_assert(L::kConnectionStatus == offsetof(USB_NODE_CONNECTION_INFORMATION_EX, ConnectionStatus));
static_assert(L::kConnectionStatus == offsetof(USB_NODE_CONNECTION_INFORMATION, ConnectionStatus));
static_assert(L::kDeviceConnected == DeviceConnected);
static_assert(L::kDescIdVendor == offsetof(USB_DEVICE_DESCRIPTOR, idVendor));
static_assert(L::kDescIdProduct == offsetof(USB_DEVICE_DESCRIPTOR, idProduct));
static_assert(L::kDescBcdUsb == offsetof(USB_DEVICE_DESCRIPTOR, bcdUSB));
static_assert(L::kDescIManufacturer == offsetof(USB_DEVICE_DESCRIPTOR, iManufacturer));
static_assert(L::kDescIProduct == offsetof(USB_DEVICE_DESCRIPTOR, iProduct));
static_assert(L::kDescISerialNumber == offsetof(USB_DEVICE_DESCRIPTOR, iSerialNumber));
static_assert(L::kDescriptorData == offsetof(USB_DESCRIPTOR_REQUEST, Data));
static_assert(L::kSetupWValue == offsetof(USB_DESCRIPTOR_REQUEST, SetupPacket.wValue));
static_assert(L::kSetupWIndex == offsetof(USB_DESCRIPTOR_REQUEST, SetupPacket.wIndex));
static_assert(L::kSetupWLength == offsetof(USB_DESCRIPTOR_REQUEST, SetupPacket.wLength));
static_assert(L::kDigcfPresent == DIGCF_PRESENT && L::kDigcfDeviceInterface == DIGCF_DEVICEINTERFACE);
static_assert(L::kCrSuccess == CR_SUCCESS && L::kCrBufferSmall == CR_BUFFER_SMALL &&
              L::kCrNoSuchValue == CR_NO_SUCH_VALUE && L::kCrFailure == CR_FAILURE &&
              L::kCrNoSuchDevNode == CR_NO_SUCH_DEVNODE && L::kCrInvalidPointer == CR_INVALID_POINTER);
static_assert(L::kCmGetIdListFilterRemovalRelations == CM_GETIDLIST_FILTER_REMOVALRELATIONS);
static_assert(L::kCmDrpDeviceDesc == CM_DRP_DEVICEDESC && L::kCmDrpClassGuid == CM_DRP_CLASSGUID &&
              L::kCmDrpDriver == CM_DRP_DRIVER && L::kCmDrpFriendlyName == CM_DRP_FRIENDLYNAME &&
              L::kCmDrpUpperFilters == CM_DRP_UPPERFILTERS && L::kCmDrpLowerFilters == CM_DRP_LOWERFILTERS &&
              L::kCmDrpEnumeratorName == CM_DRP_ENUMERATOR_NAME);
static_assert(L::kGenericWrite == GENERIC_WRITE && L::kFileShareWrite == FILE_SHARE_WRITE &&
              L::kOpenExisting == OPEN_EXISTING);

namespace {

const GUID& AsGuid(const Guid& guid)
{
    return reinterpret_cast<const GUID&>(guid);
}

ConfigRet NodeCall(CONFIGRET(WINAPI* call)(PDEVINST, DEVINST, ULONG), DevInst* out, DevInst node, std::uint32_t flags)
{
    DEVINST result = 0;  // some implementations succeed without writing
    const CONFIGRET status = call(&result, node, flags);
    *out = result;
    return status;
}

} // namespace

std::string WideToAnsi(const char16_t* text, std::size_t count)
{
    const auto* wide = reinterpret_cast<const wchar_t*>(text);
    const int length = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(count), nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return {};
    std::string converted(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(count), converted.data(), length, nullptr, nullptr);
    return converted;
}

PlatformHandle CWinUsbPlatform::CreateFileA(const char* name, std::uint32_t access, std::uint32_t share,
                                            std::uint32_t creation, std::uint32_t flags)
{
    return ::CreateFileA(name, access, share, nullptr, creation, flags, nullptr);
}

bool CWinUsbPlatform::CloseHandle(PlatformHandle handle)
{
    return ::CloseHandle(handle) != FALSE;
}

bool CWinUsbPlatform::DeviceIoControl(PlatformHandle handle, std::uint32_t code, const void* in,
                                      std::uint32_t inSize, void* out, std::uint32_t outSize,
                                      std::uint32_t* returned)
{
    DWORD count = 0;
    const BOOL ok = ::DeviceIoControl(handle, code, const_cast<void*>(in), inSize, out, outSize, &count, nullptr);
    *returned = count;
    return ok != FALSE;
}

bool CWinUsbPlatform::GetVolumeNameForVolumeMountPointA(const char* mountPoint, char* volumeName,
                                                        std::uint32_t size)
{
    return ::GetVolumeNameForVolumeMountPointA(mountPoint, volumeName, size) != FALSE;
}

std::string CWinUsbPlatform::WideToMultiByte(const char16_t* text, std::size_t count)
{
    return WideToAnsi(text, count);
}

PlatformHandle CWinUsbPlatform::SetupDiGetClassDevsA(const Guid& classGuid, std::uint32_t flags)
{
    return ::SetupDiGetClassDevsA(&AsGuid(classGuid), nullptr, nullptr, flags);
}

bool CWinUsbPlatform::SetupDiEnumDeviceInterfaces(PlatformHandle set, const Guid& classGuid, std::uint32_t index,
                                                  DeviceInterfaceData* data)
{
    return ::SetupDiEnumDeviceInterfaces(set, nullptr, &AsGuid(classGuid), index,
                                         reinterpret_cast<SP_DEVICE_INTERFACE_DATA*>(data)) != FALSE;
}

bool CWinUsbPlatform::SetupDiGetDeviceInterfaceDetailA(PlatformHandle set, const DeviceInterfaceData& data,
                                                       void* detail, std::uint32_t detailSize,
                                                       std::uint32_t* required, DevInfoData* devInfo)
{
    DWORD size = 0;
    const BOOL ok = ::SetupDiGetDeviceInterfaceDetailA(
        set, const_cast<SP_DEVICE_INTERFACE_DATA*>(reinterpret_cast<const SP_DEVICE_INTERFACE_DATA*>(&data)),
        static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(detail), detailSize, &size,
        reinterpret_cast<SP_DEVINFO_DATA*>(devInfo));
    if (required)
        *required = size;
    return ok != FALSE;
}

bool CWinUsbPlatform::SetupDiDestroyDeviceInfoList(PlatformHandle set)
{
    return ::SetupDiDestroyDeviceInfoList(set) != FALSE;
}

ConfigRet CWinUsbPlatform::CM_Locate_DevNodeA(DevInst* node, const char* id, std::uint32_t flags)
{
    DEVINST result = 0;
    const CONFIGRET status = ::CM_Locate_DevNodeA(&result, const_cast<char*>(id), flags);
    *node = result;
    return status;
}

ConfigRet CWinUsbPlatform::CM_Get_Child(DevInst* child, DevInst node, std::uint32_t flags)
{
    return NodeCall(::CM_Get_Child, child, node, flags);
}

ConfigRet CWinUsbPlatform::CM_Get_Sibling(DevInst* sibling, DevInst node, std::uint32_t flags)
{
    return NodeCall(::CM_Get_Sibling, sibling, node, flags);
}

ConfigRet CWinUsbPlatform::CM_Get_Parent(DevInst* parent, DevInst node, std::uint32_t flags)
{
    return NodeCall(::CM_Get_Parent, parent, node, flags);
}

ConfigRet CWinUsbPlatform::CM_Get_Device_IDA(DevInst node, char* buffer, std::uint32_t length, std::uint32_t flags)
{
    return ::CM_Get_Device_IDA(node, buffer, length, flags);
}

ConfigRet CWinUsbPlatform::CM_Get_DevNode_Registry_PropertyA(DevInst node, std::uint32_t property,
                                                             std::uint32_t* type, void* buffer,
                                                             std::uint32_t* length, std::uint32_t flags)
{
    ULONG valueType = 0;
    ULONG size = *length;
    const CONFIGRET status = ::CM_Get_DevNode_Registry_PropertyA(node, property, &valueType, buffer, &size, flags);
    if (type)
        *type = valueType;
    *length = size;
    return status;
}

ConfigRet CWinUsbPlatform::CM_Get_DevNode_Status(std::uint32_t* status, std::uint32_t* problem, DevInst node,
                                                 std::uint32_t flags)
{
    ULONG nodeStatus = 0;
    ULONG nodeProblem = 0;
    const CONFIGRET result = ::CM_Get_DevNode_Status(&nodeStatus, &nodeProblem, node, flags);
    *status = nodeStatus;
    *problem = nodeProblem;
    return result;
}

ConfigRet CWinUsbPlatform::CM_Get_Device_ID_List_SizeA(std::uint32_t* length, const char* filter, std::uint32_t flags)
{
    ULONG size = 0;
    const CONFIGRET status = ::CM_Get_Device_ID_List_SizeA(&size, filter, flags);
    *length = size;
    return status;
}

ConfigRet CWinUsbPlatform::CM_Get_Device_ID_ListA(const char* filter, char* buffer, std::uint32_t length,
                                                  std::uint32_t flags)
{
    return ::CM_Get_Device_ID_ListA(filter, buffer, length, flags);
}

} // namespace usbkey
