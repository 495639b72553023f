#pragma once
// Codes, sizes and byte offsets of the USB host-controller and hub requests, the device
// node calls and the SetupDi structures. The enumeration reads and writes request buffers
// at these offsets so it builds natively too; the Windows build checks every value against
// the platform headers. The USB requests are the same on 32-bit and 64-bit Windows; the
// SetupDi structures hold a pointer-sized field and are packed only on 32-bit Windows.
#include "usbkey/UsbPlatform.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace usbkey::layout {

// I/O control codes.
constexpr std::uint32_t kIoctlGetHcdDriverKeyName = 0x220424;
constexpr std::uint32_t kIoctlGetRootHubName = 0x220408;       // to a host controller
constexpr std::uint32_t kIoctlGetNodeInformation = 0x220408;   // to a hub: same code
constexpr std::uint32_t kIoctlGetNodeConnectionInformation = 0x22040C;
constexpr std::uint32_t kIoctlGetDescriptorFromNodeConnection = 0x220410;
constexpr std::uint32_t kIoctlGetNodeConnectionName = 0x220414;
constexpr std::uint32_t kIoctlGetNodeConnectionDriverKeyName = 0x220420;
constexpr std::uint32_t kIoctlGetNodeConnectionInformationEx = 0x220448;

// USB_HCD_DRIVERKEY_NAME, USB_ROOT_HUB_NAME: ActualLength, then UTF-16 text.
constexpr std::uint32_t kHcdNameHeader = 6;
constexpr std::size_t kHcdNameText = 4;
// USB_NODE_CONNECTION_DRIVERKEY_NAME, USB_NODE_CONNECTION_NAME: ConnectionIndex, ActualLength, text.
constexpr std::uint32_t kConnectionNameHeader = 10;
constexpr std::size_t kConnectionNameActualLength = 4;
constexpr std::size_t kConnectionNameText = 8;

// USB_NODE_INFORMATION.
constexpr std::uint32_t kNodeInformationSize = 76;
constexpr std::size_t kNodeInformationPorts = 6;  // HubDescriptor.bNumberOfPorts

// USB_NODE_CONNECTION_INFORMATION(_EX) with room for 30 pipes.
constexpr std::uint32_t kConnectionInfoSize = 365;
constexpr std::size_t kConnectionIndex = 0;
constexpr std::size_t kDeviceDescriptor = 4;
constexpr std::size_t kSpeed = 23;  // LowSpeed in the old request
constexpr std::size_t kDeviceIsHub = 24;
constexpr std::size_t kConnectionStatus = 31;
constexpr std::uint32_t kDeviceConnected = 1;

// USB_DEVICE_DESCRIPTOR, relative to its start.
constexpr std::size_t kDescBcdUsb = 2;
constexpr std::size_t kDescIdVendor = 8;
constexpr std::size_t kDescIdProduct = 10;
constexpr std::size_t kDescIManufacturer = 14;
constexpr std::size_t kDescIProduct = 15;
constexpr std::size_t kDescISerialNumber = 16;

// USB_DESCRIPTOR_REQUEST with 255 data bytes.
constexpr std::uint32_t kDescriptorRequestSize = 267;
constexpr std::size_t kSetupBmRequest = 4;
constexpr std::size_t kSetupBRequest = 5;
constexpr std::size_t kSetupWValue = 6;
constexpr std::size_t kSetupWIndex = 8;
constexpr std::size_t kSetupWLength = 10;
constexpr std::size_t kDescriptorData = 12;
constexpr std::uint8_t kStringDescriptorType = 3;

// SetupDi: 5, 28 and 28 on 32-bit Windows; 8, 32 and 32 on 64-bit Windows.
constexpr std::uint32_t kDigcfPresent = 0x02;
constexpr std::uint32_t kDigcfDeviceInterface = 0x10;
constexpr std::size_t kInterfaceDetailPath = 4;
// SP_DEVICE_INTERFACE_DETAIL_DATA_A: cbSize and one character, padded to 8 bytes on 64-bit.
constexpr std::uint32_t kInterfaceDetailCbSize = sizeof(void*) == 8 ? 8 : kInterfaceDetailPath + 1;
constexpr auto kDevInfoDataCbSize = static_cast<std::uint32_t>(sizeof(DevInfoData));
constexpr auto kInterfaceDataCbSize = static_cast<std::uint32_t>(sizeof(DeviceInterfaceData));

constexpr Guid kHostControllerInterface = {
    0x3ABF6F2D, 0x71C4, 0x462A, {0x8A, 0x92, 0x1E, 0x68, 0x61, 0xE6, 0xAF, 0x27}};
constexpr Guid kVolumeInterface = {
    0x53F5630D, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};

// Configuration manager.
constexpr ConfigRet kCrSuccess = 0x00;
constexpr ConfigRet kCrFailure = 0x13;
constexpr ConfigRet kCrNoSuchDevNode = 0x0D;
constexpr ConfigRet kCrBufferSmall = 0x1A;
constexpr ConfigRet kCrNoSuchValue = 0x25;
constexpr ConfigRet kCrInvalidPointer = 0x03;
constexpr std::uint32_t kCmGetIdListFilterRemovalRelations = 0x08;
constexpr std::uint32_t kCmDrpDeviceDesc = 1;
constexpr std::uint32_t kCmDrpClassGuid = 9;
constexpr std::uint32_t kCmDrpDriver = 10;
constexpr std::uint32_t kCmDrpFriendlyName = 13;
constexpr std::uint32_t kCmDrpUpperFilters = 18;
constexpr std::uint32_t kCmDrpLowerFilters = 19;
constexpr std::uint32_t kCmDrpEnumeratorName = 23;

// CreateFileA.
constexpr std::uint32_t kGenericWrite = 0x40000000;
constexpr std::uint32_t kFileShareWrite = 0x2;
constexpr std::uint32_t kOpenExisting = 3;

// Little-endian reads and writes in request buffers.
inline std::uint16_t Read16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
inline std::uint32_t Read32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline void Write16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void Write32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

} // namespace usbkey::layout
