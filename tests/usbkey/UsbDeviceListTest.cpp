#include <gtest/gtest.h>

#include "usbkey/UsbDeviceList.h"

namespace {

CUsbDeviceList Attached(std::initializer_list<CKeyDevice> devices)
{
    CUsbDeviceList list;
    for (const CKeyDevice& device : devices)
        list.AddTail(CUsbDeviceEntry(device, CDeviceNameNode(nullptr, "USB device")));
    return list;
}

TEST(KeyDevice, SameKeyDeviceTable)
{
    struct Case {
        CKeyDevice a, b;
        bool same;
    } cases[] = {
        {{0x0781, 0x5567, "abc123"}, {0x0781, 0x5567, "ABC123"}, true},
        {{0x0781, 0x5567, "abc"}, {0x0781, 0x5568, "abc"}, false},
        {{0x0781, 0x5567, "abc"}, {0x0782, 0x5567, "abc"}, false},
        {{0x0781, 0x5567, ""}, {0x0781, 0x5567, ""}, true},
        {{0x0781, 0x5567, ""}, {0x0781, 0x5567, "0"}, false},
        {{1, 2, "abc"}, {1, 2, "abcd"}, false},
        // Only ASCII letters fold: "@" (0x40) and "`" (0x60) differ by the case bit.
        {{1, 2, "@"}, {1, 2, "`"}, false},
        // Double-byte characters compare byte by byte ("ａ" and "Ａ" stay different).
        {{1, 2, "\x82\x81"}, {1, 2, "\x82\x60"}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.same, IsSameKeyDevice(c.a, c.b)) << c.a.m_serialNumber << " / " << c.b.m_serialNumber;
        EXPECT_EQ(c.same, IsSameKeyDevice(c.b, c.a));
    }
}

TEST(UsbDeviceList, FoundTakesTheAttachedDevicesOwnSerial)
{
    const CUsbDeviceList attached = Attached({{1, 2, "AbC"}});
    CKeyDeviceList found{{9, 9, "stale"}};
    EXPECT_EQ(1, attached.HasAnyKey({{1, 2, "abc"}}, &found));
    ASSERT_EQ(1u, found.size());
    EXPECT_EQ("AbC", found[0].m_serialNumber);
    EXPECT_EQ(1, attached.HasAllKeys({{1, 2, "ABC"}}, &found));
    ASSERT_EQ(1u, found.size());
    EXPECT_EQ("AbC", found[0].m_serialNumber);
}

TEST(UsbDeviceList, MatchingTable)
{
    const CKeyDevice a{1, 2, "A"}, b{1, 2, "B"}, noSerial{1, 2, ""};
    struct Case {
        const char* name;
        CUsbDeviceList attached;
        CKeyDeviceList keys;
        int any, all;
        std::size_t anyFound, allFound;
    } cases[] = {
        {"no keys", Attached({a}), {}, 0, 1, 0, 0},
        {"nothing attached", Attached({}), {a}, 0, 0, 0, 0},
        {"one of two", Attached({b}), {a, b}, 1, 0, 1, 1},
        {"both", Attached({b, a}), {a, b}, 1, 1, 2, 2},
        {"same key twice, one device", Attached({a}), {a, a}, 1, 0, 1, 1},
        {"same key twice, two devices", Attached({a, a}), {a, a}, 1, 1, 2, 2},
        {"empty serial matches only empty", Attached({a}), {noSerial}, 0, 0, 0, 0},
        {"device without serial", Attached({noSerial}), {noSerial}, 1, 1, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.any, c.attached.HasAnyKey(c.keys));
        EXPECT_EQ(c.all, c.attached.HasAllKeys(c.keys));
        CKeyDeviceList found{{7, 7, "before"}};
        EXPECT_EQ(c.any, c.attached.HasAnyKey(c.keys, &found));
        EXPECT_EQ(c.anyFound, found.size());
        found = {{7, 7, "before"}};
        EXPECT_EQ(c.all, c.attached.HasAllKeys(c.keys, &found));
        EXPECT_EQ(c.allFound, found.size());
    }
}

TEST(UsbDeviceList, FoundFollowsTheOrderOfTheKeys)
{
    const CUsbDeviceList attached = Attached({{3, 3, "c"}, {1, 1, "a"}, {2, 2, "b"}});
    CKeyDeviceList found;
    EXPECT_EQ(0, attached.HasAllKeys({{2, 2, "b"}, {9, 9, ""}, {1, 1, "a"}}, &found));
    ASSERT_EQ(2u, found.size());
    EXPECT_EQ(2, found[0].m_vendorId);
    EXPECT_EQ(1, found[1].m_vendorId);
    EXPECT_EQ(3u, attached.GetCount());  // the snapshot itself is untouched
}

// Every node's parent must be the node whose child array holds it.
void ExpectLinked(const CDeviceNameNode& node)
{
    for (const CDeviceNameNode& child : node.GetChildren()) {
        EXPECT_EQ(&node, child.GetParent()) << child.GetText();
        ExpectLinked(child);
    }
}

CDeviceNameNode BuildTree()
{
    CDeviceNameNode root(nullptr, "USB Mass Storage");
    for (int i = 0; i < 20; ++i) {  // enough appends to move the children several times
        CDeviceNameNode& disk = root.AddChild("Disk " + std::to_string(i));
        disk.AddChild("Volume (E:)").AddChild("leaf");
    }
    return root;
}

TEST(DeviceNameNode, ParentsFollowAppendsAndCopies)
{
    CDeviceNameNode root = BuildTree();
    ExpectLinked(root);
    ASSERT_EQ(20u, root.GetChildren().size());
    EXPECT_EQ("Disk 19", root.GetChildren().back().GetText());
    EXPECT_EQ("Volume (E:)", root.GetChildren()[3].GetChildren()[0].GetText());

    CDeviceNameNode copy = root;
    ExpectLinked(copy);
    CDeviceNameNode assigned;
    assigned = copy;
    ExpectLinked(assigned);
    EXPECT_EQ(&assigned.GetChildren()[0], assigned.GetChildren()[0].GetChildren()[0].GetParent());
}

TEST(UsbDeviceList, CopyOutlivesTheSource)
{
    CUsbDeviceList copy;
    {
        CUsbDeviceList source;
        source.AddTail(CUsbDeviceEntry({1, 2, "s"}, BuildTree()));
        copy = source;
        CUsbDeviceList constructed(source);
        EXPECT_EQ(1u, constructed.GetCount());
    }
    ASSERT_EQ(1u, copy.GetCount());
    const CUsbDeviceEntry& entry = *copy.begin();
    EXPECT_EQ("s", entry.m_serialNumber);
    EXPECT_EQ("leaf", entry.m_names.GetChildren()[5].GetChildren()[0].GetChildren()[0].GetText());
    ExpectLinked(entry.m_names);
}

} // namespace
