#pragma once
// The installer library's work for one call: the uninstall with its key-or-password
// check. The USB re-check worker and the process finder live only inside `Uninstall`.
#include <windows.h>

#include "common/LockSetting.h"

namespace usbkey {
class CFilterUsbCheckThread;
}

class CInstallerApp {
public:
    static constexpr int kDone = 0;
    static constexpr int kRefused = -1;
    static constexpr int kFailed = -1;

    CInstallerApp() = default;
    CInstallerApp(const CInstallerApp&) = delete;
    CInstallerApp& operator=(const CInstallerApp&) = delete;

    // Asks for the key or the password when keys are registered, then ends the watchdog
    // and the resident program and deletes the settings file and the empty folders.
    // kRefused, with nothing changed, when the check was cancelled or the settings exist
    // but cannot be read. kFailed when a companion still runs (it says which; nothing is
    // removed) or a settings file stays.
    int Uninstall(HWND owner);

    // Whether the registered keys are attached (KeyType 2: all of them, else one), by
    // the worker's snapshot.
    bool IsKeyPresent(const CLockSetting& setting) const;
    usbkey::CFilterUsbCheckThread& UsbCheckThread() const { return *m_usbCheckThread; }

private:
    int ConfirmAndRemove(HWND owner);
    bool Confirm(const CLockSetting& setting, HWND owner);
    // False while a settings file, or one of its temporary files, is left.
    static bool RemoveSettings();

    usbkey::CFilterUsbCheckThread* m_usbCheckThread = nullptr;
};
