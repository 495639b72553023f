// The main job from a terminal: the programs as installed in one folder (the resident
// program a build whose USB calls go to the simulated machine), the watchdog started
// first, which starts the resident program; the user pulls and inserts the key, locks
// through the lock-now program, kills the resident program to watch it come back, and
// sees the lock events as a client of ArdenvaleAPI.dll receives them.
// With --first-run the resident program starts without settings and shows its first-run
// wizard, which the user completes on the display or has completed from here.
// Usage: KeyConsole [--first-run]
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "common/CompanionLink.h"
#include "eventapi/ArdenvaleAPI.h"
#include "framework/Thread.h"
#include "framework/Window.h"
#include "resident/wizard/WizardResource.h"
#include "tests/companions/support/InstalledPrograms.h"
#include "tests/resident/support/ResidentProcess.h"
#include "tests/resident/support/SheetDriver.h"

namespace {

constexpr UINT UM_LOCK_EVENT = WM_APP + 1;
// The lock display's message, as a user would set it: "このパソコンはロックされています"
// ("this PC is locked") in code page 932.
constexpr char kLockMessage[] = "\x82\xB1\x82\xCC\x83\x70\x83\x5C\x83\x52\x83\x93\x82\xCD\x83\x8D\x83\x62\x83\x4E"
                                "\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB7";

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

// Each line fits a terminal of 80 columns. tools/run answers s itself.
void PrintHelp()
{
    std::printf("commands: p = pull the key, i = insert it, l = lock now (Tollhatch), q = quit,\n"
                "          r = reload settings, k = kill Brontal (Pernwick starts it again),\n"
                "          s = save a picture of the display (tools/run)\n");
    std::fflush(stdout);
}

void PostToResident(UINT message)
{
    if (const HWND window = ResidentWindow())
        PostMessageA(window, message, 0, 0);
}

// Checks the key in the wizard and goes Next, Next, Finish, as the user would.
bool CompleteWizard()
{
    HWND sheet = nullptr;
    if (!WaitUntil([&] { return (sheet = CSheetDriver::FindSheet(ProcessOf(kResidentExecutable))) != nullptr; }))
        return false;
    const CSheetDriver driver(sheet);
    int row = -1;
    if (!WaitUntil([&] { return (row = driver.FindRow(IDC_HARDWARE_LIST, "Key " + kInstalledKey.tag)) >= 0; }))
        return false;
    driver.SetRowChecked(IDC_HARDWARE_LIST, row, true);
    for (int page = 1; page <= 2; ++page) {
        driver.Press(PSBTN_NEXT);
        if (!driver.WaitForPage(page))
            return false;
    }
    driver.Press(PSBTN_FINISH);
    return true;
}

// The first-run wizard of the resident program: done on the display, or from here.
bool RunFirstRunWizard()
{
    std::printf("Brontal shows its first-run wizard, with the simulated key %04X:%04X\n"
                "\"%s\" attached. Check \"Key %s\" and press Next, Next and Finish\n"
                "on the display, then Enter here; or type w and Enter to have that done here.\n",
                kInstalledKey.identity.m_vendorId, kInstalledKey.identity.m_productId,
                kInstalledKey.identity.m_serialNumber.c_str(), kInstalledKey.tag.c_str());
    std::fflush(stdout);
    std::string line;
    std::getline(std::cin, line);
    if (line == "w" && !CompleteWizard()) {
        std::fprintf(stderr, "the wizard could not be completed from here\n");
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const bool firstRun = argc == 2 && std::string(argv[1]) == "--first-run";
    if (argc != 1 && !firstRun) {
        std::fprintf(stderr, "usage: KeyConsole [--first-run]\n");
        return 2;
    }
    CInstalledPrograms programs("run", CInstalledPrograms::WithWatchdog);
    if (firstRun)
        RemoveSettings();
    else
        CInstalledPrograms::RegisterKey(kLockMessage);
    CEventPrinter printer(programs.Path("ArdenvaleAPI.dll"));
    if (!printer.Start() || !programs.Launch("Pernwick.exe")) {
        std::fprintf(stderr, "the programs did not start\n");
        return 1;
    }
    if (firstRun && !RunFirstRunWizard())
        return 1;
    if (!WaitForResident(true, firstRun ? 30000 : 15000)) {
        std::fprintf(stderr, firstRun ? "Brontal does not watch: the wizard was cancelled or is still open\n"
                                      : "the programs did not start\n");
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
