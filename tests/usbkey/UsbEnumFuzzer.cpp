// Drives a whole enumeration run with platform replies chosen by the fuzzer: results,
// reply lengths, buffer contents and device-node links. Any crash, sanitizer report,
// hang, or handle left open or closed twice is a fault.
#include "usbkey/UsbDeviceEnumerator.h"
#include "usbkey/UsbLayout.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <set>

namespace {

using namespace usbkey;

class CFuzzPlatform : public CUsbPlatform {
public:
    explicit CFuzzPlatform(FuzzedDataProvider& data) : m_data(data) {}
    ~CFuzzPlatform() override
    {
        if (!m_open.empty())
            std::abort();  // a handle or device-information set leaked
    }

    PlatformHandle CreateFileA(const char*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) override
    {
        return m_data.ConsumeBool() ? NewHandle() : InvalidPlatformHandle();
    }
    bool CloseHandle(PlatformHandle handle) override
    {
        Release(handle);
        return m_data.ConsumeBool();
    }
    bool DeviceIoControl(PlatformHandle handle, std::uint32_t, const void*, std::uint32_t, void* out,
                         std::uint32_t outSize, std::uint32_t* returned) override
    {
        CheckOpen(handle);
        if (!m_data.ConsumeBool())
            return false;
        *returned = m_data.ConsumeIntegralInRange<std::uint32_t>(0, outSize + 16);  // may lie
        Fill(out, std::min(*returned, outSize));
        return true;
    }
    bool GetVolumeNameForVolumeMountPointA(const char*, char* volumeName, std::uint32_t size) override
    {
        if (!m_data.ConsumeBool())
            return false;
        Fill(volumeName, size);  // not necessarily terminated
        return true;
    }
    std::string WideToMultiByte(const char16_t* text, std::size_t count) override
    {
        std::string converted;
        for (std::size_t i = 0; i < count; ++i)
            converted.push_back(text[i] < 0x80 ? static_cast<char>(text[i]) : '?');
        return converted;
    }

    PlatformHandle SetupDiGetClassDevsA(const Guid&, std::uint32_t) override
    {
        return m_data.ConsumeBool() ? NewHandle() : InvalidPlatformHandle();
    }
    bool SetupDiEnumDeviceInterfaces(PlatformHandle set, const Guid&, std::uint32_t, DeviceInterfaceData*) override
    {
        CheckOpen(set);
        return m_data.ConsumeBool();
    }
    bool SetupDiGetDeviceInterfaceDetailA(PlatformHandle set, const DeviceInterfaceData&, void* detail,
                                          std::uint32_t detailSize, std::uint32_t* required,
                                          DevInfoData* devInfo) override
    {
        CheckOpen(set);
        if (required)
            *required = m_data.ConsumeIntegralInRange<std::uint32_t>(0, 8192);
        if (!detail || !m_data.ConsumeBool())
            return false;
        if (detailSize > layout::kInterfaceDetailPath)
            Fill(static_cast<std::uint8_t*>(detail) + layout::kInterfaceDetailPath,
                 detailSize - layout::kInterfaceDetailPath);
        if (devInfo)
            devInfo->devInst = Node();
        return true;
    }
    bool SetupDiDestroyDeviceInfoList(PlatformHandle set) override
    {
        Release(set);
        return true;
    }

    ConfigRet CM_Locate_DevNodeA(DevInst* node, const char*, std::uint32_t) override { return NodeReply(node); }
    ConfigRet CM_Get_Child(DevInst* child, DevInst, std::uint32_t) override { return NodeReply(child); }
    ConfigRet CM_Get_Sibling(DevInst* sibling, DevInst, std::uint32_t) override { return NodeReply(sibling); }
    ConfigRet CM_Get_Parent(DevInst* parent, DevInst, std::uint32_t) override { return NodeReply(parent); }
    ConfigRet CM_Get_Device_IDA(DevInst, char* buffer, std::uint32_t length, std::uint32_t) override
    {
        Fill(buffer, length);
        return Result();
    }
    ConfigRet CM_Get_DevNode_Registry_PropertyA(DevInst, std::uint32_t, std::uint32_t*, void* buffer,
                                                std::uint32_t* length, std::uint32_t) override
    {
        if (buffer)
            Fill(buffer, *length);
        *length = m_data.ConsumeIntegralInRange<std::uint32_t>(0, 100000);
        return Result();
    }
    ConfigRet CM_Get_DevNode_Status(std::uint32_t* status, std::uint32_t* problem, DevInst, std::uint32_t) override
    {
        *status = m_data.ConsumeIntegral<std::uint32_t>();
        *problem = m_data.ConsumeIntegral<std::uint32_t>();
        return Result();
    }
    ConfigRet CM_Get_Device_ID_List_SizeA(std::uint32_t* length, const char*, std::uint32_t) override
    {
        *length = m_data.ConsumeIntegralInRange<std::uint32_t>(0, 100000);
        return Result();
    }
    ConfigRet CM_Get_Device_ID_ListA(const char*, char* buffer, std::uint32_t length, std::uint32_t) override
    {
        Fill(buffer, length);
        return Result();
    }

private:
    PlatformHandle NewHandle()
    {
        m_next += 4;
        m_open.insert(m_next);
        return reinterpret_cast<PlatformHandle>(m_next);
    }
    void CheckOpen(PlatformHandle handle) const
    {
        if (!m_open.count(reinterpret_cast<std::uintptr_t>(handle)))
            std::abort();  // used after close, or never opened
    }
    void Release(PlatformHandle handle)
    {
        if (m_open.erase(reinterpret_cast<std::uintptr_t>(handle)) != 1)
            std::abort();  // closed twice, or never opened
    }
    void Fill(void* buffer, std::uint32_t size)
    {
        const std::vector<std::uint8_t> bytes = m_data.ConsumeBytes<std::uint8_t>(
            m_data.ConsumeIntegralInRange<std::uint32_t>(0, size));
        if (!bytes.empty())
            std::memcpy(buffer, bytes.data(), bytes.size());
    }
    // Few distinct nodes, so that links back to nodes already seen are common.
    DevInst Node() { return m_data.ConsumeIntegralInRange<DevInst>(0, 24); }
    ConfigRet NodeReply(DevInst* node)
    {
        *node = Node();
        return Result();
    }
    ConfigRet Result()
    {
        return m_data.ConsumeBool() ? layout::kCrSuccess
                                    : m_data.PickValueInArray({layout::kCrFailure, layout::kCrBufferSmall,
                                                               layout::kCrNoSuchValue, layout::kCrNoSuchDevNode});
    }

    FuzzedDataProvider& m_data;
    std::set<std::uintptr_t> m_open;
    std::uintptr_t m_next = 0x100;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider provider(data, size);
    CFuzzPlatform platform(provider);
    std::vector<CUsbDevice> devices;
    CUsbDeviceEnumerator enumerator(platform, 0x7F, 0x3FF, &devices);
    enumerator.Enumerate();
    return 0;
}
