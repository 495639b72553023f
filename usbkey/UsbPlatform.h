#pragma once
// The platform calls that USB enumeration makes, one virtual per Win32 call with the same
// arguments and results, in plain types so the enumeration also builds and runs natively.
// CWinUsbPlatform forwards each call unchanged; CSimUsbMachine answers from a scenario.
#include <cstdint>
#include <string>

namespace usbkey {

using DevInst = std::uint32_t;     // DEVINST
using ConfigRet = std::uint32_t;   // CONFIGRET
using PlatformHandle = void*;      // HANDLE, HDEVINFO

inline PlatformHandle InvalidPlatformHandle()
{
    return reinterpret_cast<PlatformHandle>(static_cast<std::intptr_t>(-1));
}

// Same layout as GUID.
struct Guid {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};

inline bool operator==(const Guid& a, const Guid& b)
{
    if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3)
        return false;
    for (int i = 0; i < 8; ++i)
        if (a.data4[i] != b.data4[i])
            return false;
    return true;
}

// Same layout as SP_DEVICE_INTERFACE_DATA.
struct DeviceInterfaceData {
    std::uint32_t cbSize;
    Guid interfaceClassGuid;
    std::uint32_t flags;
    std::uintptr_t reserved;
};

// Same layout as SP_DEVINFO_DATA.
struct DevInfoData {
    std::uint32_t cbSize;
    Guid classGuid;
    DevInst devInst;
    std::uintptr_t reserved;
};

class CUsbPlatform {
public:
    virtual ~CUsbPlatform() = default;

    // kernel32
    virtual PlatformHandle CreateFileA(const char* name, std::uint32_t access, std::uint32_t share,
                                       std::uint32_t creation, std::uint32_t flags) = 0;
    virtual bool CloseHandle(PlatformHandle handle) = 0;
    virtual bool DeviceIoControl(PlatformHandle handle, std::uint32_t code, const void* in,
                                 std::uint32_t inSize, void* out, std::uint32_t outSize,
                                 std::uint32_t* returned) = 0;
    virtual bool GetVolumeNameForVolumeMountPointA(const char* mountPoint, char* volumeName,
                                                   std::uint32_t size) = 0;
    // UTF-16 to the system code page (WideCharToMultiByte with CP_ACP).
    virtual std::string WideToMultiByte(const char16_t* text, std::size_t count) = 0;

    // setupapi
    virtual PlatformHandle SetupDiGetClassDevsA(const Guid& classGuid, std::uint32_t flags) = 0;
    virtual bool SetupDiEnumDeviceInterfaces(PlatformHandle set, const Guid& classGuid,
                                             std::uint32_t index, DeviceInterfaceData* data) = 0;
    // detail: an SP_DEVICE_INTERFACE_DETAIL_DATA_A image of detailSize bytes, or null.
    virtual bool SetupDiGetDeviceInterfaceDetailA(PlatformHandle set, const DeviceInterfaceData& data,
                                                  void* detail, std::uint32_t detailSize,
                                                  std::uint32_t* required, DevInfoData* devInfo) = 0;
    virtual bool SetupDiDestroyDeviceInfoList(PlatformHandle set) = 0;

    // cfgmgr32
    virtual ConfigRet CM_Locate_DevNodeA(DevInst* node, const char* id, std::uint32_t flags) = 0;
    virtual ConfigRet CM_Get_Child(DevInst* child, DevInst node, std::uint32_t flags) = 0;
    virtual ConfigRet CM_Get_Sibling(DevInst* sibling, DevInst node, std::uint32_t flags) = 0;
    virtual ConfigRet CM_Get_Parent(DevInst* parent, DevInst node, std::uint32_t flags) = 0;
    virtual ConfigRet CM_Get_Device_IDA(DevInst node, char* buffer, std::uint32_t length,
                                        std::uint32_t flags) = 0;
    virtual ConfigRet CM_Get_DevNode_Registry_PropertyA(DevInst node, std::uint32_t property,
                                                        std::uint32_t* type, void* buffer,
                                                        std::uint32_t* length, std::uint32_t flags) = 0;
    virtual ConfigRet CM_Get_DevNode_Status(std::uint32_t* status, std::uint32_t* problem,
                                            DevInst node, std::uint32_t flags) = 0;
    virtual ConfigRet CM_Get_Device_ID_List_SizeA(std::uint32_t* length, const char* filter,
                                                  std::uint32_t flags) = 0;
    virtual ConfigRet CM_Get_Device_ID_ListA(const char* filter, char* buffer, std::uint32_t length,
                                             std::uint32_t flags) = 0;
};

} // namespace usbkey
