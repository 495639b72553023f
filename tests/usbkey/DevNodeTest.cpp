// The device-node tree of each device: children, removal relations, drive letters.
#include "UsbScenario.h"

#include <gmock/gmock.h>

namespace usbkey::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A USB memory device: its disk child, and its volume as a removal relation.
const std::string kMemoryDevice = std::string(kOneController) + R"(
device hub=RH0 port=1 driver={36FC9E60-C465-11CF-8056-444553540000}\0007 vid=0951 pid=1666 serial=SN1
node id=USB\VID_0951&PID_1666\SN1 driver={36FC9E60-C465-11CF-8056-444553540000}\0007 desc="USB Mass Storage Device" removal=STORAGE\VOLUME\1&30A96598&0&SIGNATURE1
node id=USBSTOR\DISK&VEN_KINGSTON&PROD_DT\SN1&0 parent=USB\VID_0951&PID_1666\SN1 friendly="Kingston DT USB Device" desc=Disk
node id=STORAGE\VOLUME\1&30A96598&0&SIGNATURE1 desc="Generic volume"
volume path=\\?\STORAGE#Volume#1&30a96598&0&Signature1#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b} volume=\\?\Volume{11111111-2222-3333-4444-555555555555}\ node=STORAGE\VOLUME\1&30A96598&0&SIGNATURE1
)";

struct Shape {
    int depth;
    std::string text;  // friendly name, else description
    char letter;
    bool operator==(const Shape&) const = default;
};

void PrintTo(const Shape& s, std::ostream* os)
{
    *os << s.depth << ":" << s.text << ":" << (s.letter ? s.letter : '-');
}

std::vector<Shape> ShapeOf(const CDevNodeTree& tree)
{
    std::vector<Shape> shape;
    for (auto p = tree.begin(); p != tree.end(); ++p) {
        const CDevNodeInfo& info = p->Info();
        shape.push_back({p->Depth(), info.friendlyName.empty() ? info.description : info.friendlyName,
                         info.driveLetter});
    }
    return shape;
}

std::vector<Shape> TreeOfOnlyDevice(const std::string& scenario, int propertyMask = 0x19)
{
    const auto devices = EnumerateScenario(scenario, 0x13, propertyMask);
    EXPECT_EQ(1u, devices.size());
    return devices.empty() ? std::vector<Shape>{} : ShapeOf(devices[0].tree);
}

TEST(DevNode, MemoryDeviceShowsItsVolumeWithItsDriveLetter)
{
    EXPECT_THAT(TreeOfOnlyDevice(kMemoryDevice + "mount letter=E volume=\\\\?\\Volume{11111111-2222-3333-4444-555555555555}\\\n"),
                ElementsAre(Shape{0, "USB Mass Storage Device", 0}, Shape{1, "Kingston DT USB Device", 0},
                            Shape{1, "Generic volume", 'E'}));
}

TEST(DevNode, DriveLetters)
{
    struct Case {
        const char* name;
        const char* lines;
        char expected;
    };
    const std::string volume = "volume=\\\\?\\Volume{11111111-2222-3333-4444-555555555555}\\";
    const Case cases[] = {
        {"not mounted", "", 0},
        {"mounted twice: the later letter", "mount letter=E @V\nmount letter=G @V\n", 'G'},
        {"Z: is never probed", "mount letter=Z @V\n", 0},
        {"volume interfaces unreadable", "mount letter=E @V\nfault classdevs class=volume\n", 0},
        {"volume name of the interface unreadable",
         "mount letter=E @V\nfault volume name=\\\\?\\STORAGE#Volume#1&30a96598&0&Signature1#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}\\\n", 0},
        // Neither id can be read: an empty id matches nothing.
        {"unreadable ids never match",
         "mount letter=E @V\nfault cm call=id node=STORAGE\\VOLUME\\1&30A96598&0&SIGNATURE1\n", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string lines = c.lines;
        for (std::size_t at; (at = lines.find("@V")) != std::string::npos;)
            lines.replace(at, 2, volume);
        const auto shape = TreeOfOnlyDevice(kMemoryDevice + lines);
        ASSERT_EQ(3u, shape.size());
        EXPECT_EQ(c.expected, shape[2].letter);
        EXPECT_EQ(0, shape[0].letter);
    }
}

TEST(DevNode, ChildrenInSiblingOrderBeforeRemovalRelationsWithDepths)
{
    const auto shape = TreeOfOnlyDevice(std::string(kOneController) + R"(
device hub=RH0 port=1 driver=K vid=1 pid=2
node id=USB\VID_0001&PID_0002\5&1 driver=K desc=Composite removal=R\1
node id=USB\VID_0001&PID_0002&MI_00\6&1 parent=USB\VID_0001&PID_0002\5&1 desc=Interface0
node id=USB\VID_0001&PID_0002&MI_01\6&2 parent=USB\VID_0001&PID_0002\5&1 desc=Interface1
node id=HID\X\7&1 parent=USB\VID_0001&PID_0002&MI_00\6&1 desc=Keyboard
node id=R\1 desc=Relation
)");
    EXPECT_THAT(shape, ElementsAre(Shape{0, "Composite", 0}, Shape{1, "Interface0", 0}, Shape{2, "Keyboard", 0},
                                   Shape{1, "Interface1", 0}, Shape{1, "Relation", 0}));
}

TEST(DevNode, RemovalRelationCyclesEndAtNodesAlreadyInTheTree)
{
    const auto shape = TreeOfOnlyDevice(std::string(kOneController) + R"(
device hub=RH0 port=1 driver=K vid=1 pid=2
node id=DEV\1 driver=K desc=Device removal=DEV\1,A\1
node id=A\1 desc=A removal=B\1
node id=B\1 desc=B removal=A\1,DEV\1,MISSING\1
)");
    EXPECT_THAT(shape, ElementsAre(Shape{0, "Device", 0}, Shape{1, "A", 0}, Shape{2, "B", 0}));
}

TEST(DevNode, DeviceNodeNotFoundGivesOneEmptyRoot)
{
    const auto devices = EnumerateScenario(std::string(kOneController) +
                                           "device hub=RH0 port=1 driver=NOSUCHKEY vid=1 pid=2\n"
                                           "node id=DEV\\1 driver=K desc=Device\n");
    ASSERT_EQ(1u, devices.size());
    const CDevNodeTree& tree = devices[0].tree;
    ASSERT_NE(nullptr, tree.Root());
    EXPECT_EQ(CDevNodeInfo{}, tree.Root()->Info());
    EXPECT_EQ(nullptr, tree.Root()->FirstChild());
}

TEST(DevNode, AllProperties)
{
    const auto devices = EnumerateScenario(std::string(kOneController) + R"(
device hub=RH0 port=1 driver=K vid=1 pid=2
node id=DEV\1 driver=K friendly="Friendly" desc=Desc enum=USB class={36FC9E60-C465-11CF-8056-444553540000} lower=filt1,filt2 upper=up1 status=0x1802400 problem=28
node id=DEV\2 parent=DEV\1 desc=Child
)", 0x13, 0x3FF);
    ASSERT_EQ(1u, devices.size());
    const CDevNodeInfo& info = devices[0].tree.Root()->Info();
    EXPECT_EQ("DEV\\1", info.instanceId);
    EXPECT_EQ("USB", info.enumerator);
    EXPECT_EQ("Friendly", info.friendlyName);
    EXPECT_EQ("Desc", info.description);
    EXPECT_EQ("{36FC9E60-C465-11CF-8056-444553540000}", info.classGuid);
    EXPECT_THAT(info.lowerFilters, ElementsAre("filt1", "filt2"));
    EXPECT_THAT(info.upperFilters, ElementsAre("up1"));
    EXPECT_EQ(0x1802400u, info.status);
    EXPECT_EQ(28u, info.problem);
    EXPECT_NE(0u, info.devNode);
    const CDevNodeInfo& child = devices[0].tree.Root()->FirstChild()->Info();
    EXPECT_THAT(child.lowerFilters, IsEmpty());
    EXPECT_TRUE(child.friendlyName.empty());
}

TEST(DevNode, UnreadablePropertiesStayEmpty)
{
    const std::string longName(200, 'n');
    const auto devices = EnumerateScenario(std::string(kOneController) +
                                           "device hub=RH0 port=1 driver=K vid=1 pid=2\n"
                                           "node id=DEV\\1 driver=K friendly=" + longName +
                                           " desc=Desc lower=a,b\n"
                                           "fault cm call=property property=19 result=0x1A\n"
                                           "fault cm call=status\n",
                                           0x13, 0x3FF);
    ASSERT_EQ(1u, devices.size());
    const CDevNodeInfo& info = devices[0].tree.Root()->Info();
    EXPECT_TRUE(info.friendlyName.empty());  // longer than the 200-byte buffer
    EXPECT_EQ("Desc", info.description);
    EXPECT_THAT(info.lowerFilters, IsEmpty());
    EXPECT_EQ(0u, info.status);
}

} // namespace
} // namespace usbkey::test
