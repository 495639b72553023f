#pragma once
// The wizard's key devices page: the attached devices, live from the USB worker, with a
// check box each; Next registers the checked ones as the keys.
#include "framework/PropertyPage.h"
#include "usbkey/DeviceTreeCtrl.h"
#include "usbkey/HardwareListCtrl.h"
#include "usbkey/UsbDeviceList.h"

#include <string>

class CInitWizard;

class CDeviceInitPage : public fw::CPropertyPage {
public:
    CDeviceInitPage();

    const CUsbDeviceList& PresentDevices() const { return m_devices; }

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    bool OnNotify(NMHDR& header, LRESULT& result) override;
    void DoDataExchange(fw::CDataExchange& dx) override;
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;
    LRESULT OnWizardNext() override;

private:
    CInitWizard& Wizard() const;
    void OnDeviceListChanged();
    void FillRows(const CUsbDeviceList* devices);
    // Buttons, detail texts and tree after the checks or the selection changed.
    void RefreshSelection();
    void RegisterWithWorker();
    void UnregisterFromWorker();

    CDeviceTreeCtrl m_deviceTree;
    CHardwareListCtrl m_hardwareList;
    std::string m_productId;
    std::string m_serialNumber;
    std::string m_vendorId;
    CUsbDeviceList m_devices;  // the copy the rows' item data index
    bool m_fillingRows = false;
};
