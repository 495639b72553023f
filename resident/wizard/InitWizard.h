#pragma once
// The first-run wizard: key devices, lock conditions, summary. It edits the program's
// settings record in place (the password part at construction, the keys and the lock
// conditions on Next) and writes the settings file only on Finish.
#include "common/LockSetting.h"
#include "framework/PropertySheet.h"
#include "resident/wizard/DeviceInitPage.h"
#include "resident/wizard/FinishInitPage.h"
#include "resident/wizard/LockInitPage.h"

namespace usbkey {
class CFilterUsbCheckThread;
}

class CInitWizard : public fw::CPropertySheet {
public:
    // The password every first-run setting starts with; the user changes it in the utility.
    static constexpr const char* kDefaultPassword = "mossgate";

    // `usb` is the program's USB worker (it may be null: the device list stays empty).
    CInitWizard(CLockSetting* setting, usbkey::CFilterUsbCheckThread* usb, UINT captionId, HWND parent,
                UINT startPage = 0);

    CLockSetting& Setting() { return *m_setting; }
    usbkey::CFilterUsbCheckThread* UsbCheckThread() { return m_usb; }

    CDeviceInitPage& DevicePage() { return m_devicePage; }
    CLockInitPage& LockPage() { return m_lockPage; }
    CFinishInitPage& FinishPage() { return m_finishPage; }

protected:
    bool OnSheetMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    CDeviceInitPage m_devicePage;
    CLockInitPage m_lockPage;
    CFinishInitPage m_finishPage;
    CLockSetting* m_setting;
    usbkey::CFilterUsbCheckThread* m_usb;
};

// The message boxes of the wizard, captioned with the product's name.
int ShowWizardMessage(HWND owner, UINT textId, UINT type);
