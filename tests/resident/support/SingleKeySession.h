#pragma once
// The resident program started with one registered simulated key attached, no start-up
// or idle lock, and an event client in this process: the benchmarks drive it.
#include <functional>
#include <string>

#include "tests/resident/support/EventClient.h"
#include "tests/resident/support/ResidentProcess.h"
#include "tests/resident/support/SimulatedKeys.h"

class CSingleKeySession {
public:
    // `scenarioName`: the simulated machine's file in the temp folder.
    CSingleKeySession(SSimulatedKey key, const std::string& scenarioName);

    // The lock picture of the settings written at the start (none: the program's own).
    void SetLockPicture(std::string path) { m_lockPicture = std::move(path); }
    // False, with a message on stderr, when the client or the program did not start.
    // `adjust`, when given, changes the settings the program starts with.
    bool Start(const char* program, const std::function<void(CLockSetting&)>& adjust = {});
    // Starts the program without settings, so that it shows its first-run wizard; false,
    // with a message on stderr, when the client or the program did not start.
    bool StartFirstRun(const char* program);
    // After the wizard: true once the program watches (its main window is up).
    bool WaitUntilWatching(DWORD timeout) { return m_resident.WaitForMainWindow(&m_events, timeout); }

    // Changes the key and tells the resident program, as Windows would.
    void Pull();
    void Insert();

    const SSimulatedKey& Key() const { return m_key; }
    CSimulatedKeys& Machine() { return m_keys; }
    CEventClient& Events() { return m_events; }
    CResidentProcess& Resident() { return m_resident; }

private:
    SSimulatedKey m_key;
    std::string m_lockPicture;
    CSimulatedKeys m_keys;
    CEventClient m_events;
    CResidentProcess m_resident;
};
