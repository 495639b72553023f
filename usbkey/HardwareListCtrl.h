#pragma once
// The attached USB devices with a check box a row. Devices whose identity is in the hide
// list get no row (one hidden identity hides one device); each row's item data is the
// device's position in the list the rows were made from, hidden ones counted, so the
// owner maps rows back to its devices however the view sorts them.
#include "common/KeyDevice.h"
#include "framework/ListCtrl.h"
#include "usbkey/UsbDeviceList.h"

class CHardwareListCtrl : public fw::CListCtrl {
public:
    // Check boxes and one untitled column; after the dialog is created.
    void InitColumns();
    // Rebuilds the rows (check marks are lost); null leaves the list empty.
    void SetDevices(const CUsbDeviceList* devices);
    int GetCheckedCount() const;

    // Identities that get no row; the owner fills it.
    CKeyDeviceList& HideList() { return m_hideList; }

private:
    CKeyDeviceList m_hideList;
};
