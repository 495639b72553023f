#pragma once
// The settings sheet, the utility's one window: the unlock dialog runs while the sheet's
// window is being made, and the sheet shows only once the key or the password passed.
// Its pages apply into the sheet's copy of the settings, and a save writes the file only
// when some page changed something, then tells Brontal to reload. Opened by the key, it
// closes (saving nothing) once the key is gone.
#include "common/LockSetting.h"
#include "framework/PropertyPage.h"
#include "framework/PropertySheet.h"
#include "utility/KeyDevicePage.h"
#include "utility/LockPage.h"
#include "utility/UtilityPasswordPage.h"
#include "utility/WholePage.h"

class CUtilityApp;
namespace usbkey {
class CFilterUsbCheckThread;
}

class CUtilitySheet : public fw::CPropertySheet {
public:
    explicit CUtilitySheet(CUtilityApp& app);

    // The settings as last saved, which the pages compare with.
    const CLockSetting& Saved() const;
    // What the pages apply into; a page that applied a change notes it.
    CLockSetting& Copy() { return m_copy; }
    void NoteModified() { m_modified = true; }

    // Applies every page and writes the file when something changed; false when a page
    // refused or the file could not be written (the sheet stays open then).
    bool SaveSettings();
    void RegisterDeviceNotify();
    void UnregisterDeviceNotify();
    usbkey::CFilterUsbCheckThread& UsbCheckThread() const;

protected:
    bool OnSheetMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnSheetInitialized() override;

private:
    bool WriteSettings();

    CUtilityApp& m_app;
    bool m_openedByPassword = false;
    CLockSetting m_copy;
    bool m_modified = false;
    CWholePage m_wholePage;
    CUtilityPasswordPage m_passwordPage;
    CLockPage m_lockPage;
    CKeyDevicePage m_keyPage;
    fw::CPropertyPage m_versionPage;
};
