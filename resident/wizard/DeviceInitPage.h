#pragma once
// The wizard's key devices page: the attached devices, live from the USB worker, with a
// check box each; Next registers the checked ones as the keys.
#include "framework/PropertyPage.h"
#include "usbkey/DevicePicker.h"

class CInitWizard;

class CDeviceInitPage : public fw::CPropertyPage {
public:
    CDeviceInitPage();

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
    // Buttons, detail texts and tree after the checks or the selection changed.
    void RefreshSelection();
    void RegisterWithWorker();
    void UnregisterFromWorker();

    CDevicePicker m_picker;
    SDeviceIdentityText m_shown;
};
