#pragma once
// The companion programs as installed: the simulated-USB build of Brontal, Pernwick,
// Tollhatch, ArdenvaleAPI.dll and the sample client side by side in one fresh folder,
// one registered simulated key, and every program of theirs ended at the end.
#include <windows.h>

#include <string>

#include "tests/common/HelperProcess.h"
#include "tests/resident/support/SimulatedKeys.h"

extern const SSimulatedKey kInstalledKey;

class CInstalledPrograms {
public:
    enum Watchdog { WithoutWatchdog, WithWatchdog };

    // `tag` names the folder. Without the watchdog beside it, the resident program's own
    // attempts to start one fail, as they would on a broken installation.
    CInstalledPrograms(const std::string& tag, Watchdog watchdog);
    ~CInstalledPrograms();
    CInstalledPrograms(const CInstalledPrograms&) = delete;
    CInstalledPrograms& operator=(const CInstalledPrograms&) = delete;

    std::string Path(const char* fileName) const { return m_folder / fileName; }
    CSimulatedKeys& Keys() { return m_keys; }

    // Writes the settings file: the key registered, no start-up or idle lock, and the
    // lock display's message (code page 932 text; none when empty).
    static void RegisterKey(const std::string& lockMessage = {});
    // Writes a settings file without any key device.
    static void RegisterNoKey();

    // Starts a program of the folder with the arguments; its process id, 0 on failure.
    DWORD Launch(const char* fileName, const std::string& arguments = "") const;

    // Pulls or inserts the key and tells the running resident program, as Windows would.
    void Pull();
    void Insert();

    // Ends every watchdog, resident and lock-now process (the watchdog first, so that
    // nothing is started again meanwhile).
    static void EndAll();

private:
    testsupport::CTempFolder m_folder;
    CSimulatedKeys m_keys;
};

// The resident program's marked main window, found as the other programs find it.
HWND ResidentWindow();
// Waits until the resident program's marked window exists (or no longer does).
bool WaitForResident(bool running, DWORD timeout);
// The first process of that program file name, 0 when none.
DWORD ProcessOf(const char* fileName);
// Kills the first process of that name and waits for its end; false when none ran.
bool KillProcessOf(const char* fileName);
// Polls until the condition holds; false when it did not within the time.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeout)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeout)
            return false;
        Sleep(20);
    }
    return true;
}
