// The snapshot entries and their display names.
#include "UsbScenario.h"

#include "usbkey/DeviceListBuilder.h"

#include <gmock/gmock.h>

namespace usbkey::test {
namespace {

TEST(DeviceListBuilder, DisplayNames)
{
    struct Case {
        const char* friendly;
        const char* description;
        char letter;
        const char* expected;
    };
    const Case cases[] = {
        {"Friendly", "Desc", 0, "Friendly"},
        {"", "Desc", 0, "Desc"},
        {"", "Volume", 'E', "Volume - (E:)"},
        {"", "", 0, ""},
    };
    for (const Case& c : cases) {
        CDevNodeInfo info;
        info.friendlyName = c.friendly;
        info.description = c.description;
        info.driveLetter = c.letter;
        EXPECT_EQ(c.expected, MakeDisplayName(info));
    }
}

TEST(DeviceListBuilder, EntriesCarryIdentityAndNameTree)
{
    const auto devices = EnumerateScenario(std::string(kOneController) + R"(
device hub=RH0 port=1 driver=K1 vid=0951 pid=1666 serial=SN1
node id=USB\VID_0951&PID_1666\SN1 driver=K1 desc="USB Mass Storage Device" removal=V\1
node id=USBSTOR\DISK\1 parent=USB\VID_0951&PID_1666\SN1 friendly="Kingston DT USB Device" desc=Disk
node id=V\1 desc="Generic volume"
mount letter=E volume=VOL1
volume path=\\?\STORAGE#Volume#1 volume=VOL1 node=V\1
device hub=RH0 port=2 driver=NOTFOUND vid=1 pid=2
)");
    CUsbDeviceList list;
    list.AddTail(CUsbDeviceEntry{});
    BuildDeviceList(devices, list);
    ASSERT_EQ(2u, list.GetCount());
    const CUsbDeviceEntry& key = *list.begin();
    EXPECT_EQ(0x0951, key.m_vendorId);
    EXPECT_EQ(0x1666, key.m_productId);
    EXPECT_EQ("SN1", key.m_serialNumber);
    EXPECT_EQ("USB Mass Storage Device", key.m_names.GetText());
    ASSERT_EQ(2u, key.m_names.GetChildren().size());
    EXPECT_EQ("Kingston DT USB Device", key.m_names.GetChildren()[0].GetText());
    EXPECT_EQ("Generic volume - (E:)", key.m_names.GetChildren()[1].GetText());
    EXPECT_EQ(&key.m_names, key.m_names.GetChildren()[1].GetParent());
    const CUsbDeviceEntry& other = *std::next(list.begin());
    EXPECT_EQ("", other.m_names.GetText());
    EXPECT_TRUE(other.m_names.GetChildren().empty());
}

} // namespace
} // namespace usbkey::test
