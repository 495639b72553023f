#pragma once
// A simulated USB machine: answers the platform calls of the enumeration at byte level,
// in the request and reply layouts of 32-bit Windows, from a scenario. Tests and test
// builds of the programs use it; shipped programs never do.
//
// Scenario text: one item per line, "keyword key=value ...", values in double quotes when
// they hold spaces; a line starting with '#' is a comment. Hexadecimal: vid, pid, bcd,
// langs; other numbers are decimal or 0x-prefixed.
//
//   controller name=\\.\HCD0 driver={36FC9E60-...}\0000 roothub=USB#ROOT_HUB#4&1
//       A host controller opened by `name`: a "\\.\HCDn" name, or any other name, which
//       is then a member of the host-controller interface class. Two lines with the same
//       driver key are two names of one controller.
//   hub name=USB#ROOT_HUB#4&1 ports=4
//       A hub (root or external), opened as "\\.\" + name.
//   device hub=<hub> port=<n> driver=<driver key> vid=0951 pid=1666 [bcd=0200] [speed=2]
//          [manufacturer="text"] [product="text"] [serial="text"] [langs=0409,0411]
//          [imanufacturer=n] [iproduct=n] [iserial=n] [status=n]
//       A device at a hub port. The strings get the indexes 1, 2, 3 unless given; an index
//       without text is a string whose request fails. A string "raw:0A03..." is sent as
//       these descriptor bytes. status is the ConnectionStatus (1, connected, by default).
//       Speed 0 is low speed. Ports not listed hold no device.
//   exthub hub=<hub> port=<n> name=<hub name> [driver=<key>]
//       An external hub at a port; `name` must have its own hub line.
//   node id=<instance id> [parent=<instance id>] [driver=<key>] [friendly="text"]
//        [desc="text"] [enum=USB] [class={guid}] [lower=a,b] [upper=a,b] [status=n]
//        [problem=n] [removal=id1,id2]
//       A device node, appended as the last child of its parent (defined earlier; the
//       root "HTREE\ROOT\0" when none). removal lists its removal relations.
//   mount letter=E volume=<volume name>
//       A drive letter and the volume mounted there ("\\?\Volume{GUID}\" style names).
//   volume path=<interface path> volume=<volume name> node=<instance id>
//       A member of the volume interface class and its volume's device node.
//   fault open name=<name>                        CreateFileA fails
//   fault close                                   CloseHandle fails (the handle still goes)
//   fault ioctl code=<n> [name=<name>] [port=n] [index=n] [actual=n] [returned=n]
//       The request fails, or, with actual= or returned=, succeeds with ActualLength or
//       the returned byte count replaced.
//   fault cm call=<call> [node=<instance id>] [property=n] result=<n>
//       call: locate child sibling parent id property status idlistsize idlist.
//   fault classdevs [class=hc|volume]             SetupDiGetClassDevsA fails
//   fault volume name=<mount point or path>       GetVolumeNameForVolumeMountPointA fails
//   slow open name=<name> ms=<n>
//       CreateFileA of that name takes n ms (at most 60000) before it answers: a device
//       that keeps the enumeration waiting.
//   pulled <tag>
//       Every line with tag=<tag> is left out: the key-simulation tool pulls a device by
//       adding this line and inserts it by removing it.
//
// Text from string descriptors is ASCII; WideToMultiByte gives '?' for other characters.
#include "common/WatchedFile.h"
#include "usbkey/sim/SimScenario.h"
#include "usbkey/UsbPlatform.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace usbkey {

class CSimUsbMachine : public CUsbPlatform {
public:
    CSimUsbMachine();

    // Replaces the machine with the scenario; on an error ("line 3: ...") the machine is
    // left empty. Handles still open stay counted.
    bool Load(const std::string& scenarioText, std::string& error);
    // Reads the scenario from a file, and again whenever its content changed, checked on
    // every call made while no handle is open (between enumeration runs and between
    // controllers). A missing or bad file leaves a machine without USB.
    void WatchScenarioFile(std::string path);
    // Why the watched file could not be used, or empty.
    const std::string& LastError() const { return m_lastError; }

    // Handles and device-information sets currently open; closes of handles that were
    // not open; opens so far.
    int OpenHandles() const { return static_cast<int>(m_open.size()); }
    int BadCloses() const { return m_badCloses; }
    int Opens() const { return m_opens; }
    int CloseCalls() const { return m_closeCalls; }
    // Each connection-information request as "hub:port".
    const std::vector<std::string>& ConnectionQueries() const { return m_connectionQueries; }

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

private:
    struct OpenObject {
        enum Kind { Controller, Hub, InterfaceSet } kind;
        std::string name;        // controller or hub name
        int controller = -1;
        std::vector<SimVolumeInterface> members;  // of an interface set
    };
    bool HandleIo(const OpenObject& object, std::uint32_t code, const std::uint8_t* in, std::uint32_t inSize,
                  std::uint8_t* out, std::uint32_t outSize, std::uint32_t& returned);
    bool AnswerName(const std::string& name, std::size_t header, std::size_t actualOffset, std::uint32_t port,
                    bool withPort, std::uint8_t* out, std::uint32_t outSize, std::uint32_t& returned);
    bool AnswerConnection(const std::string& hub, std::uint32_t port, bool ex, std::uint8_t* out,
                          std::uint32_t outSize, std::uint32_t& returned);
    bool AnswerDescriptor(const std::string& hub, const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                          std::uint32_t outSize, std::uint32_t& returned);
    const SimFault* FindIoFault(const OpenObject& object, std::uint32_t code, std::uint32_t port,
                                       int index) const;
    bool CmFault(const char* call, DevInst node, std::uint32_t property, ConfigRet& result) const;
    bool CmFaultById(const char* call, const std::string& id, ConfigRet& result) const;
    const SimNode* NodeOf(DevInst node) const;
    std::string RemovalListOf(const SimNode& node) const;
    PlatformHandle NewHandle(OpenObject object);
    void ReloadIfChanged();

    SimScenario m_scenario;
    CWatchedFile m_scenarioFile;
    std::string m_lastError;
    std::map<std::uintptr_t, OpenObject> m_open;
    std::uintptr_t m_nextHandle = 0x100;
    int m_opens = 0;
    int m_closeCalls = 0;
    int m_badCloses = 0;
    std::vector<std::string> m_connectionQueries;
};

} // namespace usbkey
