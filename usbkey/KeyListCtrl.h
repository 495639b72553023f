#pragma once
// The read-only list of registered keys: vendor id, product id ("0x%04X") and serial
// number, one row a key in the order given.
#include "common/KeyDevice.h"
#include "framework/ListCtrl.h"

class CKeyListCtrl : public fw::CListCtrl {
public:
    // Full-row selection and the three titled columns; after the dialog is created.
    void InitColumns();
    // Appends a row for every key; rows already present stay.
    void SetKeyDevices(const CKeyDeviceList& keys);
    void SetItemDevice(int row, const CKeyDevice& key);
};

// "0x" and four upper-case hexadecimal digits.
std::string FormatDeviceId(std::uint16_t id);
