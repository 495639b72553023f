// Enumeration of host controllers, hubs and devices against simulated machines.
#include "UsbScenario.h"

#include <gmock/gmock.h>

namespace usbkey::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(UsbEnum, HcdNamesFirstThenInterfaceClassEachControllerOnce)
{
    // HCD0 and the first interface path reach one controller (driver keys differ in case);
    // HCD2 comes after a gap.
    const auto devices = EnumerateScenario(R"(
controller name=\\.\HCD0 driver={36FC9E60-C465-11CF-8056-444553540000}\0001 roothub=RH0
controller name=\\?\pci#ven_8086&dev_27c8#3&1#{3abf6f2d-71c4-462a-8a92-1e6861e6af27} driver={36fc9e60-c465-11cf-8056-444553540000}\0001 roothub=RH0
controller name=\\?\pci#ven_8086&dev_27cb#3&2#{3abf6f2d-71c4-462a-8a92-1e6861e6af27} driver={36FC9E60-C465-11CF-8056-444553540000}\0003 roothub=RH3
controller name=\\.\HCD2 driver={36FC9E60-C465-11CF-8056-444553540000}\0002 roothub=RH2
hub name=RH0 ports=1
hub name=RH2 ports=1
hub name=RH3 ports=1
device hub=RH0 port=1 driver=D0 vid=0001 pid=1
device hub=RH2 port=1 driver=D2 vid=0002 pid=1
device hub=RH3 port=1 driver=D3 vid=0003 pid=1
)");
    EXPECT_THAT(VendorIds(devices), ElementsAre(1, 2, 3));
}

TEST(UsbEnum, PortsAscendingWithDevicesBehindAHubAtItsPosition)
{
    CSimUsbMachine machine;
    LoadScenario(machine, std::string(kOneController) + R"(
hub name=HUB2 ports=2
device hub=RH0 port=1 driver=D1 vid=0001 pid=1
exthub hub=RH0 port=2 name=HUB2
device hub=HUB2 port=1 driver=D21 vid=0021 pid=1
device hub=RH0 port=3 driver=D3 vid=0003 pid=1
)");
    EXPECT_THAT(VendorIds(Enumerate(machine)), ElementsAre(0x01, 0x21, 0x03));
    EXPECT_THAT(machine.ConnectionQueries(),
                ElementsAre("RH0:1", "RH0:2", "HUB2:1", "HUB2:2", "RH0:3", "RH0:4"));
}

TEST(UsbEnum, ControllerOrHubFailuresLeaveOnlyThatPartOut)
{
    struct Case {
        const char* name;
        const char* fault;
        std::vector<std::uint16_t> expected;
    };
    const Case cases[] = {
        {"controller does not open", "fault open name=\\\\.\\HCD0", {}},
        {"driver key unreadable", "fault ioctl code=0x220424", {}},
        {"root hub name unreadable", "fault ioctl code=0x220408 name=\\\\.\\HCD0", {}},
        {"hub node information unreadable", "fault ioctl code=0x220408 name=HUB2", {1, 3}},
        {"hub does not open", "fault open name=\\\\.\\HUB2", {1, 3}},
        {"external hub name unreadable", "fault ioctl code=0x220414", {1, 3}},
        {"connection information unreadable", "fault ioctl code=0x220448 port=1\n"
                                              "fault ioctl code=0x22040C port=1", {3}},
        {"port driver key unreadable", "fault ioctl code=0x220420 name=RH0 port=3", {1, 0x21}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto devices = EnumerateScenario(std::string(kOneController) + R"(
hub name=HUB2 ports=1
device hub=RH0 port=1 driver=D1 vid=0001 pid=1
exthub hub=RH0 port=2 name=HUB2
device hub=HUB2 port=1 driver=D21 vid=0021 pid=1
device hub=RH0 port=3 driver=D3 vid=0003 pid=1
)" + c.fault + "\n");
        EXPECT_EQ(c.expected, VendorIds(devices));
    }
}

TEST(UsbEnum, PortWithoutConnectedDeviceGivesNoRecord)
{
    const auto devices = EnumerateScenario(std::string(kOneController) +
                                           "device hub=RH0 port=1 driver=D1 vid=0001 pid=1 status=0\n"
                                           "device hub=RH0 port=2 driver=D2 vid=0002 pid=1 status=2\n");
    EXPECT_THAT(devices, IsEmpty());
}

TEST(UsbEnum, SerialNumbers)
{
    struct Case {
        const char* name;
        const char* device;  // fields after the ids
        const char* instanceId;
        const char* faults;
        const char* expected;
    };
    const Case cases[] = {
        {"from the descriptor", "serial=AB12cd", "USB\\VID_1234&PID_5678\\OTHER", "", "AB12cd"},
        {"no iSerialNumber: none, whatever the id says", "", "USB\\VID_1234&PID_5678\\TAIL1", "", ""},
        {"string request fails: the id's tail", "iserial=3", "USB\\VID_1234&PID_5678\\TAIL1", "", "TAIL1"},
        {"made-up tail with '&': none", "iserial=3", "USB\\VID_1234&PID_5678\\5&1A2B3C&0&1", "", ""},
        {"id not of the USB form: none", "iserial=3", "USBSTOR\\DISK&VEN_X\\TAIL1", "", ""},
        {"language ids unreadable: the id's tail", "serial=AB12",
         "USB\\VID_1234&PID_5678\\TAIL2", "fault ioctl code=0x220410 index=0", "TAIL2"},
        {"no language ids: the id's tail", "serial=AB12 langs=", "USB\\VID_1234&PID_5678\\TAIL3", "", "TAIL3"},
        {"odd bLength", "serial=raw:0503410042", "USB\\VID_1234&PID_5678\\T4", "", "T4"},
        {"wrong descriptor type", "serial=raw:0402410000", "USB\\VID_1234&PID_5678\\T5", "", "T5"},
        {"bLength 0", "serial=raw:0003", "USB\\VID_1234&PID_5678\\T6", "", "T6"},
        {"bLength 1, one byte back", "serial=raw:01", "USB\\VID_1234&PID_5678\\T7", "", "T7"},
        {"bLength longer than the reply", "serial=raw:0A03410042", "USB\\VID_1234&PID_5678\\T8", "", "T8"},
        {"reply count lies", "serial=AB12", "USB\\VID_1234&PID_5678\\T9",
         "fault ioctl code=0x220410 index=3 returned=200", "T9"},
        {"bLength 2: an empty serial", "serial=raw:0203", "USB\\VID_1234&PID_5678\\T10", "", ""},
        {"text stops at a NUL", "serial=raw:0803410000004200", "USB\\VID_1234&PID_5678\\T11", "", "A"},
        {"device node not found: none", "iserial=3", "USB\\VID_1234&PID_5678\\T12",
         "fault cm call=property property=10 node=USB\\VID_1234&PID_5678\\T12", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto devices = EnumerateScenario(std::string(kOneController) +
                                               "device hub=RH0 port=1 driver=KEY1 vid=1234 pid=5678 " + c.device +
                                               "\nnode id=" + c.instanceId + " driver=key1\n" + c.faults + "\n");
        ASSERT_EQ(1u, devices.size());
        EXPECT_EQ(c.expected, devices[0].serialNumber);
        EXPECT_EQ(0x1234, devices[0].vendorId);
        EXPECT_EQ(0x5678, devices[0].productId);
    }
}

TEST(UsbEnum, StringsUseTheFirstLanguage)
{
    const auto devices = EnumerateScenario(std::string(kOneController) +
                                           "device hub=RH0 port=1 driver=K vid=1 pid=2 bcd=0110 langs=0411,0409 "
                                           "manufacturer=Maker product=\"Key Disk\" serial=S1\n",
                                           0x7F, 0x19);
    ASSERT_EQ(1u, devices.size());
    EXPECT_EQ("Maker", devices[0].manufacturer);
    EXPECT_EQ("Key Disk", devices[0].product);
    EXPECT_EQ("S1", devices[0].serialNumber);
    EXPECT_EQ(0x0110, devices[0].bcdUsb);
}

TEST(UsbEnum, Speeds)
{
    const std::string scenario = std::string(kOneController) +
                                 "device hub=RH0 port=1 driver=K1 vid=1 pid=1 speed=0\n"
                                 "device hub=RH0 port=2 driver=K2 vid=2 pid=1 speed=1\n"
                                 "device hub=RH0 port=3 driver=K3 vid=3 pid=1 speed=2\n";
    auto speeds = [](const std::vector<CUsbDevice>& devices) {
        std::vector<int> result;
        for (const CUsbDevice& d : devices)
            result.push_back(d.speed);
        return result;
    };
    EXPECT_THAT(speeds(EnumerateScenario(scenario, 0x7F)), ElementsAre(0, 1, 2));
    // Without the _EX request only low speed is told apart.
    EXPECT_THAT(speeds(EnumerateScenario(scenario + "fault ioctl code=0x220448\n", 0x7F)), ElementsAre(0, 1, 1));
}

TEST(UsbEnum, NameRepliesThatLie)
{
    struct Case {
        const char* name;
        const char* fault;
        std::size_t devices;
    };
    const Case cases[] = {
        {"ActualLength far too large", "fault ioctl code=0x220424 actual=100000000", 0},
        {"ActualLength smaller than the header", "fault ioctl code=0x220408 name=\\\\.\\HCD0 actual=2", 0},
        {"ActualLength larger than what comes back", "fault ioctl code=0x220420 actual=60", 1},
        {"fewer bytes than the length field", "fault ioctl code=0x220424 returned=3", 0},
        {"odd byte count", "fault ioctl code=0x220420 returned=11", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto devices = EnumerateScenario(std::string(kOneController) +
                                               "device hub=RH0 port=1 driver=KEY1 vid=1 pid=2\n"
                                               "node id=USB\\VID_0001&PID_0002\\X driver=KEY1 friendly=F\n" +
                                               c.fault + "\n");
        EXPECT_EQ(c.devices, devices.size());
    }
}

TEST(UsbEnum, DriverKeyThatWasCutShortFindsNoNode)
{
    const auto devices = EnumerateScenario(std::string(kOneController) +
                                           "device hub=RH0 port=1 driver=KEY1 vid=1 pid=2\n"
                                           "node id=USB\\VID_0001&PID_0002\\X driver=KEY1 friendly=F\n"
                                           "node id=OTHER\\Y driver=K friendly=G\n"
                                           "fault ioctl code=0x220420 actual=14\n");
    ASSERT_EQ(1u, devices.size());
    EXPECT_EQ(0u, devices[0].tree.Root()->Info().devNode);
}

TEST(UsbEnum, HubThatRefersToItselfIsWalkedOnce)
{
    const auto devices = EnumerateScenario(std::string(kOneController) +
                                           "device hub=RH0 port=1 driver=K1 vid=1 pid=1\n"
                                           "exthub hub=RH0 port=2 name=rh0\n"
                                           "device hub=RH0 port=3 driver=K3 vid=3 pid=1\n");
    EXPECT_THAT(VendorIds(devices), ElementsAre(1, 3));
}

TEST(UsbEnum, HubsBeyondTheTierLimitAreNotWalked)
{
    // The root hub and seven external hubs in a chain, a device on port 1 of each.
    std::string scenario = std::string(kOneController) + "device hub=RH0 port=1 driver=K0 vid=0 pid=1\n";
    std::string parent = "RH0";
    for (int i = 1; i <= 7; ++i) {
        const std::string hub = "HUB" + std::to_string(i);
        scenario += "hub name=" + hub + " ports=2\nexthub hub=" + parent + " port=2 name=" + hub + "\n" +
                    "device hub=" + hub + " port=1 driver=K" + std::to_string(i) + " vid=" + std::to_string(i) +
                    " pid=1\n";
        parent = hub;
    }
    EXPECT_THAT(VendorIds(EnumerateScenario(scenario)), ElementsAre(0, 1, 2, 3, 4, 5, 6));
}

TEST(UsbEnum, FailedCloseIsNotRepeated)
{
    CSimUsbMachine machine;
    LoadScenario(machine, std::string(kOneController) + "device hub=RH0 port=1 driver=K1 vid=1 pid=1\n"
                                                        "fault close\n");
    EXPECT_EQ(1u, Enumerate(machine).size());
    EXPECT_GT(machine.Opens(), 0);
}

TEST(UsbEnum, NoUsbAtAll)
{
    CSimUsbMachine machine;
    EXPECT_THAT(Enumerate(machine), IsEmpty());
    LoadScenario(machine, std::string(kOneController) + "device hub=RH0 port=1 driver=K1 vid=1 pid=1\n"
                                                        "fault classdevs\n");
    EXPECT_EQ(1u, Enumerate(machine).size());
}

TEST(UsbEnum, EachRunStartsAfresh)
{
    CSimUsbMachine machine;
    std::vector<CUsbDevice> devices(1);
    CUsbKeyDeviceEnumerator enumerator(machine, devices);
    LoadScenario(machine, std::string(kOneController) + "device hub=RH0 port=1 driver=K1 vid=1 pid=1\n");
    enumerator.Enumerate();
    enumerator.Enumerate();
    EXPECT_THAT(VendorIds(devices), ElementsAre(1));
    LoadScenario(machine, "");
    enumerator.Enumerate();
    EXPECT_THAT(devices, IsEmpty());
    ExpectBalanced(machine);
}

} // namespace
} // namespace usbkey::test
