#pragma once
// Picks new keys among the attached USB devices; the registered ones are not offered.
// The list follows the USB worker's notices (check marks are lost on each rebuild); OK
// needs at least one ticked device.
#include <string>

#include "common/KeyDevice.h"
#include "framework/Dialog.h"
#include "usbkey/DevicePicker.h"

namespace usbkey {
class CFilterUsbCheckThread;
}

class CAddKeyDeviceDialog : public fw::CDialog {
public:
    CAddKeyDeviceDialog(const CKeyDeviceList& registeredKeys, usbkey::CFilterUsbCheckThread& usbCheckThread,
                        HWND parent);

    // The devices ticked when OK ended the dialog, in row order.
    const CKeyDeviceList& ChosenDevices() const { return m_result; }

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    bool OnNotify(NMHDR& header, LRESULT& result) override;
    void DoDataExchange(fw::CDataExchange& dx) override;
    void OnOK() override;

private:
    void OnDeviceListChanged();
    // The OK button, the detail texts and the tree after the checks or the selection changed.
    void OnHardwareListChanged();

    usbkey::CFilterUsbCheckThread& m_usbCheckThread;
    CDevicePicker m_picker;
    std::string m_location;  // never filled
    SDeviceIdentityText m_shown;
    CKeyDeviceList m_result;
};
