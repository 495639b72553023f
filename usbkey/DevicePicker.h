#pragma once
// The attached USB devices offered as keys, in a dialog: a row with a check box for each
// device (registered identities hidden), rebuilt from the USB worker's snapshot at each of
// its notices, and the selected device's identity and tree of names. The first-run
// wizard's device page and the utility's add-key dialog pick their keys with it.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "common/KeyDevice.h"
#include "usbkey/DeviceTreeCtrl.h"
#include "usbkey/HardwareListCtrl.h"
#include "usbkey/UsbDeviceList.h"

namespace usbkey {
class CFilterUsbCheckThread;
}

// The selected device's identity as shown: "0x%04X" ids and the serial number.
struct SDeviceIdentityText {
    std::string vendorId;
    std::string productId;
    std::string serialNumber;
};

class CDevicePicker {
public:
    // Once the dialog exists: binds the list and the tree and makes the list's column.
    void Attach(HWND dialog, int hardwareListId, int deviceTreeId);
    // Identities that get no row; the owner fills it before the rows are made.
    CKeyDeviceList& HideList() { return m_hardwareList.HideList(); }

    // Rebuilds the rows from the worker's snapshot; check marks are lost.
    void Rebuild(const usbkey::CFilterUsbCheckThread& worker);
    // No rows, an empty tree.
    void Clear();
    // Whether a notice to the dialog is a change of the list's checks or selection (those
    // of a rebuild left out: the owner refreshes once after it).
    bool IsSelectionChange(const NMHDR& header) const;
    // Shows the selected device's tree and returns its identity (all empty when none).
    SDeviceIdentityText ShowSelection();

    int CheckedCount() const { return m_hardwareList.GetCheckedCount(); }
    // The checked devices' identities, in row order.
    CKeyDeviceList CheckedKeys() const;

private:
    void FillRows(const CUsbDeviceList* devices);
    const CUsbDeviceEntry* DeviceOfRow(int row) const;

    int m_hardwareListId = 0;
    CDeviceTreeCtrl m_deviceTree;
    CHardwareListCtrl m_hardwareList;
    CUsbDeviceList m_devices;  // the worker's last snapshot, which the rows' item data index
    bool m_fillingRows = false;
};
