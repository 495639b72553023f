// The main job from a terminal: the programs as installed in one folder (the resident
// program a build whose USB calls go to the simulated machine), the watchdog started
// first, which starts the resident program; the user pulls and inserts the key, locks
// through the lock-now program, kills the resident program to watch it come back, and
// sees the lock events as a client of ArdenvaleAPI.dll receives them.
// Usage: KeyConsole
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "common/CompanionLink.h"
#include "eventapi/ArdenvaleAPI.h"
#include "framework/Thread.h"
#include "framework/Window.h"
#include "tests/companions/support/InstalledPrograms.h"

namespace {

constexpr UINT UM_LOCK_EVENT = WM_APP + 1;

const char* EventName(int code)
{
    switch (code) {
    case 1:
        return "locked";
    case 2:
        return "unlocked";
    case 3:
        return "settings changed";
    case 4:
        return "alarm";
    default:
        return "unknown";
    }
}

class CEventWindow : public fw::CWindow {
public:
    explicit CEventWindow(GetEventDataFunction getEventData) : m_getEventData(getEventData) {}

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        int code = 0;
        if (message != UM_LOCK_EVENT)
            return DefaultProc(message, wParam, lParam);
        if (m_getEventData(static_cast<UINT>(wParam), &code)) {
            std::printf("  event %d: %s\n", code, EventName(code));
            std::fflush(stdout);
        }
        return 0;
    }

private:
    GetEventDataFunction m_getEventData;
};

// A thread of its own with a window registered through the installed library.
class CEventPrinter : public fw::CThread {
public:
    explicit CEventPrinter(std::string library) : m_libraryPath(std::move(library)) {}
    ~CEventPrinter() override { Stop(); }

protected:
    bool InitInstance() override
    {
        m_library = LoadLibraryA(m_libraryPath.c_str());
        if (!m_library || !m_api.Bind(m_library))
            return false;
        m_window = std::make_unique<CEventWindow>(m_api.GetEventData);
        if (!m_window->Create("KvKeyConsoleEvents", "", 0))
            return false;
        m_api.RegGetEvent(m_window->GetHwnd(), UM_LOCK_EVENT);
        return true;
    }
    void ExitInstance() override
    {
        if (m_api.UnRegGetEvent)
            m_api.UnRegGetEvent();
        m_window.reset();
        if (m_library)
            FreeLibrary(m_library);
    }

private:
    std::string m_libraryPath;
    HMODULE m_library = nullptr;
    SArdenvaleFunctions m_api;
    std::unique_ptr<CEventWindow> m_window;
};

void PrintHelp()
{
    std::printf("commands: p = pull the key, i = insert it, l = lock now (Tollhatch), r = reload settings,\n"
                "          k = kill Brontal (Pernwick starts it again), q = quit\n");
    std::fflush(stdout);
}

void PostToResident(UINT message)
{
    if (const HWND window = ResidentWindow())
        PostMessageA(window, message, 0, 0);
}

} // namespace

int main()
{
    CInstalledPrograms programs("run", CInstalledPrograms::WithWatchdog);
    CInstalledPrograms::RegisterKey();
    CEventPrinter printer(programs.Path("ArdenvaleAPI.dll"));
    if (!printer.Start() || !programs.Launch("Pernwick.exe") || !WaitForResident(true, 15000)) {
        std::fprintf(stderr, "the programs did not start\n");
        return 1;
    }
    std::printf("Pernwick runs Brontal from %s\nwith the simulated key %04X:%04X \"%s\" attached.\n",
                programs.Path("").c_str(), kInstalledKey.identity.m_vendorId, kInstalledKey.identity.m_productId,
                kInstalledKey.identity.m_serialNumber.c_str());
    PrintHelp();

    for (std::string line; std::getline(std::cin, line);) {
        const char command = line.empty() ? ' ' : line[0];
        if (command == 'q')
            break;
        switch (command) {
        case 'p':
            programs.Pull();
            std::printf("key pulled\n");
            break;
        case 'i':
            programs.Insert();
            std::printf("key inserted\n");
            break;
        case 'l':
            programs.Launch("Tollhatch.exe");
            break;
        case 'r':
            PostToResident(UM_RELOAD_SETTINGS);
            break;
        case 'k':
            KillProcessOf(kResidentExecutable);
            std::printf("Brontal killed\n");
            if (WaitForResident(true, 15000))
                std::printf("Brontal runs again\n");
            break;
        default:
            PrintHelp();
            break;
        }
        std::fflush(stdout);
    }
    CCompanionLink::StopWatchdog();
    return 0;
}
