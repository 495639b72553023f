// The key list, hardware list and device tree over real list and tree views.
#include "framework/AnsiText.h"
#include "framework/Handle.h"
#include "usbkey/DeviceTreeCtrl.h"
#include "usbkey/HardwareListCtrl.h"
#include "usbkey/KeyListCtrl.h"

#include <gmock/gmock.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

// A message-only window holding one control of the styles the dialogs give it.
class ControlHost {
public:
    ControlHost(const char* className, DWORD style)
    {
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&classes);
        parent.reset(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 400, 300, HWND_MESSAGE, nullptr, nullptr, nullptr));
        control = CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 380, 280, parent.get(),
                                  reinterpret_cast<HMENU>(100), nullptr, nullptr);
    }
    fw::unique_hwnd parent;
    HWND control = nullptr;
};

CUsbDeviceEntry Device(std::uint16_t vendor, std::uint16_t product, std::string serial, std::string name)
{
    return CUsbDeviceEntry(CKeyDevice(vendor, product, std::move(serial)), CDeviceNameNode(nullptr, std::move(name)));
}

class KeyListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(list.SubclassWindow(host.control));
        list.InitColumns();
    }
    std::vector<std::vector<std::string>> Rows() const
    {
        std::vector<std::vector<std::string>> rows;
        for (int row = 0; row < list.GetItemCount(); ++row)
            rows.push_back({list.GetItemText(row, 0), list.GetItemText(row, 1), list.GetItemText(row, 2)});
        return rows;
    }
    ControlHost host{WC_LISTVIEWA, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER};
    CKeyListCtrl list;
};

TEST_F(KeyListTest, ShowsIdsInFourHexDigitsAndTheSerialAsStored)
{
    list.SetKeyDevices({CKeyDevice(1, 255, ""), CKeyDevice(65535, 0x1666, "kv-0001a"), CKeyDevice(0, 0xABCD, "X")});
    using Row = std::vector<std::string>;
    EXPECT_THAT(Rows(), ElementsAre(Row{"0x0001", "0x00FF", ""}, Row{"0xFFFF", "0x1666", "kv-0001a"},
                                    Row{"0x0000", "0xABCD", "X"}));
}

TEST_F(KeyListTest, HasTheThreeTitledColumnsAndFullRowSelection)
{
    const HWND header = reinterpret_cast<HWND>(SendMessageA(host.control, LVM_GETHEADER, 0, 0));
    ASSERT_EQ(3, SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    std::vector<std::string> titles;
    for (int column = 0; column < 3; ++column) {
        char text[64] = {};
        LVCOLUMNA format{};
        format.mask = LVCF_TEXT;
        format.pszText = text;
        format.cchTextMax = sizeof text;
        SendMessageA(host.control, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&format));
        titles.push_back(text);
    }
    EXPECT_THAT(titles, ElementsAre(fw::AnsiFromUtf8("ベンダーＩＤ"), fw::AnsiFromUtf8("プロダクトＩＤ"),
                                    fw::AnsiFromUtf8("シリアル番号")));
    EXPECT_TRUE(list.GetExtendedStyle() & LVS_EX_FULLROWSELECT);
}

TEST_F(KeyListTest, AppendsAfterTheRowsPresentAndAnEmptyListAddsNone)
{
    list.SetKeyDevices({CKeyDevice(1, 2, "A")});
    list.SetKeyDevices({});
    list.SetKeyDevices({CKeyDevice(3, 4, "B")});
    ASSERT_EQ(2, list.GetItemCount());
    EXPECT_EQ("A", list.GetItemText(0, 2));
    EXPECT_EQ("B", list.GetItemText(1, 2));
}

class HardwareListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(list.SubclassWindow(host.control));
        list.InitColumns();
    }
    // Each row's text and item data, top to bottom as the view shows them.
    std::vector<std::pair<std::string, LPARAM>> Rows() const
    {
        std::vector<std::pair<std::string, LPARAM>> rows;
        for (int row = 0; row < list.GetItemCount(); ++row)
            rows.emplace_back(list.GetItemText(row, 0), list.GetItemData(row));
        return rows;
    }
    ControlHost host{WC_LISTVIEWA, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SORTASCENDING |
                                       LVS_NOCOLUMNHEADER};
    CHardwareListCtrl list;
};

struct HardwareCase {
    const char* name;
    CKeyDeviceList hide;
    std::vector<CUsbDeviceEntry> devices;
    std::vector<std::pair<std::string, LPARAM>> rows;  // sorted by text
};

void PrintTo(const HardwareCase& c, std::ostream* os)
{
    *os << c.name;
}

class HardwareListRows : public HardwareListTest, public ::testing::WithParamInterface<HardwareCase> {};

TEST_P(HardwareListRows, OneRowPerShownDeviceWithItsPositionAsItemData)
{
    CUsbDeviceList devices;
    for (const CUsbDeviceEntry& device : GetParam().devices)
        devices.AddTail(device);
    list.HideList() = GetParam().hide;
    list.SetDevices(&devices);
    EXPECT_THAT(Rows(), ElementsAreArray(GetParam().rows));
    EXPECT_EQ(0, list.GetCheckedCount());
    if (!GetParam().rows.empty()) {
        EXPECT_EQ(0, list.GetNextItem(-1, LVNI_SELECTED));
        EXPECT_EQ(0, list.GetNextItem(-1, LVNI_FOCUSED));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HardwareListRows,
    ::testing::Values(
        HardwareCase{"Sorted", {},
                     {Device(1, 1, "S1", "Zeta"), Device(2, 2, "S2", "Alpha"), Device(3, 3, "", "Mid")},
                     {{"Alpha", 1}, {"Mid", 2}, {"Zeta", 0}}},
        HardwareCase{"OneHiddenIdentityHidesOneDevice", {CKeyDevice(0x951, 0x1666, "AB")},
                     {Device(0x951, 0x1666, "ab", "Key"), Device(0x951, 0x1666, "AB", "Key")},
                     {{"Key", 1}}},
        HardwareCase{"HiddenOnlyWhenIdsAndSerialMatch",
                     {CKeyDevice(1, 2, "S"), CKeyDevice(1, 3, "T")},
                     {Device(1, 2, "X", "A"), Device(2, 3, "T", "B"), Device(1, 2, "s", "C")},
                     {{"A", 0}, {"B", 1}}},
        HardwareCase{"EmptyList", {CKeyDevice(1, 2, "S")}, {}, {}}),
    [](const ::testing::TestParamInfo<HardwareCase>& info) { return std::string(info.param.name); });

TEST_F(HardwareListTest, NoListLeavesItEmptyAndAnotherListDropsTheChecks)
{
    CUsbDeviceList devices;
    devices.AddTail(Device(1, 1, "S1", "A"));
    devices.AddTail(Device(2, 2, "S2", "B"));
    list.SetDevices(&devices);
    list.SetCheck(1, true);
    EXPECT_EQ(1, list.GetCheckedCount());
    list.SetDevices(&devices);
    EXPECT_EQ(0, list.GetCheckedCount());
    EXPECT_TRUE(list.GetExtendedStyle() & LVS_EX_CHECKBOXES);

    list.SetDevices(nullptr);
    EXPECT_EQ(0, list.GetItemCount());
    EXPECT_EQ(-1, list.GetNextItem(-1, LVNI_SELECTED));
}

class DeviceTreeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tree.SubclassWindow(host.control)); }

    // Each item as its depth in spaces and its text, depth first; with whether it is open.
    void Collect(HTREEITEM item, int depth, std::vector<std::string>& lines) const
    {
        for (; item; item = tree.GetNextSiblingItem(item)) {
            const HTREEITEM child = tree.GetChildItem(item);
            const bool open = tree.GetItemState(item, TVIS_EXPANDED) & TVIS_EXPANDED;
            lines.push_back(std::string(depth, ' ') + tree.GetItemText(item) + (child && !open ? " (closed)" : ""));
            Collect(child, depth + 1, lines);
        }
    }
    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        Collect(tree.GetRootItem(), 0, lines);
        return lines;
    }
    ControlHost host{WC_TREEVIEWA, TVS_HASLINES | TVS_SHOWSELALWAYS};
    CDeviceTreeCtrl tree;
};

TEST_F(DeviceTreeTest, ShowsTheWholeNameTreeOpenInChildOrder)
{
    CDeviceNameNode root(nullptr, "USB Key");
    CDeviceNameNode& storage = root.AddChild("Mass Storage");
    storage.AddChild("Disk").AddChild("Volume - (E:)");
    root.AddChild("HID");
    tree.SetDeviceTree(&root);
    EXPECT_THAT(Lines(), ElementsAre("USB Key", " Mass Storage", "  Disk", "   Volume - (E:)", " HID"));

    tree.SetDeviceTree(&root.GetChildren()[1]);
    EXPECT_THAT(Lines(), ElementsAre("HID"));
    tree.SetDeviceTree(nullptr);
    EXPECT_THAT(Lines(), IsEmpty());
    EXPECT_EQ(0u, tree.GetCount());
}

} // namespace
