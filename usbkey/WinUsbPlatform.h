#pragma once
// The real platform: each call forwards to the Win32 call of the same name.
#include "usbkey/UsbPlatform.h"

namespace usbkey {

class CWinUsbPlatform : public CUsbPlatform {
public:
    PlatformHandle CreateFileA(const char* name, std::uint32_t access, std::uint32_t share,
                               std::uint32_t creation, std::uint32_t flags) override;
    bool CloseHandle(PlatformHandle handle) override;
    bool DeviceIoControl(PlatformHandle handle, std::uint32_t code, const void* in, std::uint32_t inSize,
                         void* out, std::uint32_t outSize, std::uint32_t* returned) override;
    bool GetVolumeNameForVolumeMountPointA(const char* mountPoint, char* volumeName, std::uint32_t size) override;
    std::string WideToMultiByte(const char16_t* text, std::size_t count) override;

    PlatformHandle SetupDiGetClassDevsA(const Guid& classGuid, std::uint32_t flags) override;
    bool SetupDiEnumDeviceInterfaces(PlatformHandle set, const Guid& classGuid, std::uint32_t index,
                                     DeviceInterfaceData* data) override;
    bool SetupDiGetDeviceInterfaceDetailA(PlatformHandle set, const DeviceInterfaceData& data, void* detail,
                                          std::uint32_t detailSize, std::uint32_t* required,
                                          DevInfoData* devInfo) override;
    bool SetupDiDestroyDeviceInfoList(PlatformHandle set) override;

    ConfigRet CM_Locate_DevNodeA(DevInst* node, const char* id, std::uint32_t flags) override;
    ConfigRet CM_Get_Child(DevInst* child, DevInst node, std::uint32_t flags) override;
    ConfigRet CM_Get_Sibling(DevInst* sibling, DevInst node, std::uint32_t flags) override;
    ConfigRet CM_Get_Parent(DevInst* parent, DevInst node, std::uint32_t flags) override;
    ConfigRet CM_Get_Device_IDA(DevInst node, char* buffer, std::uint32_t length, std::uint32_t flags) override;
    ConfigRet CM_Get_DevNode_Registry_PropertyA(DevInst node, std::uint32_t property, std::uint32_t* type,
                                                void* buffer, std::uint32_t* length, std::uint32_t flags) override;
    ConfigRet CM_Get_DevNode_Status(std::uint32_t* status, std::uint32_t* problem, DevInst node,
                                    std::uint32_t flags) override;
    ConfigRet CM_Get_Device_ID_List_SizeA(std::uint32_t* length, const char* filter, std::uint32_t flags) override;
    ConfigRet CM_Get_Device_ID_ListA(const char* filter, char* buffer, std::uint32_t length,
                                     std::uint32_t flags) override;
};

// Text from the platform in UTF-16, in the system code page.
std::string WideToAnsi(const char16_t* text, std::size_t count);

} // namespace usbkey
