// The main job from a terminal: registers a simulated key in the settings file, starts
// the resident program (a build whose USB calls go to the simulated machine), lets the
// user pull and insert the key, and prints the lock events as a client receives them.
// With --first-run it starts the program without settings, so that it shows its first-run
// wizard, which the user completes on the display or has completed from here.
// Usage: KeyConsole [--first-run] <resident program>
#include "common/CompanionLink.h"
#include "resident/wizard/WizardResource.h"
#include "tests/resident/support/SheetDriver.h"
#include "tests/resident/support/SingleKeySession.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

namespace {

const SSimulatedKey kKey{"key", CKeyDevice(0x0951, 0x1666, "KV-DEMO-0001")};

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

void PrintEvents(CEventClient& events, const std::atomic<bool>& running)
{
    while (running) {
        if (const auto event = events.Next(200)) {
            std::printf("  event %d: %s\n", event->code, EventName(event->code));
            std::fflush(stdout);
        }
    }
}

void PrintHelp()
{
    std::printf("commands: p = pull the key, i = insert it, l = lock now, r = reload settings, q = quit\n");
    std::fflush(stdout);
}

// Checks the key in the wizard and goes Next, Next, Finish, as the user would.
bool CompleteWizard(DWORD processId)
{
    HWND sheet = nullptr;
    if (!WaitUntil([&] { return (sheet = CSheetDriver::FindSheet(processId)) != nullptr; }))
        return false;
    const CSheetDriver driver(sheet);
    int row = -1;
    if (!WaitUntil([&] { return (row = driver.FindRow(IDC_HARDWARE_LIST, "Key " + kKey.tag)) >= 0; }))
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

// The wizard of a program started without settings: done on the display, or from here.
bool RunFirstRun(CSingleKeySession& session, const char* program)
{
    if (!session.StartFirstRun(program))
        return false;
    std::printf("Brontal shows its first-run wizard with the simulated key %04X:%04X \"%s\" attached.\n"
                "Check \"Key %s\" and press Next, Next and Finish on the display, then Enter here;\n"
                "or type w and Enter to have that done from here.\n",
                kKey.identity.m_vendorId, kKey.identity.m_productId, kKey.identity.m_serialNumber.c_str(),
                kKey.tag.c_str());
    std::fflush(stdout);
    std::string line;
    std::getline(std::cin, line);
    if (line == "w" && !CompleteWizard(session.Resident().ProcessId())) {
        std::fprintf(stderr, "the wizard could not be completed from here\n");
        return false;
    }
    if (!session.WaitUntilWatching(30000)) {
        std::fprintf(stderr, "Brontal does not watch: the wizard was cancelled or is still open\n");
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const bool firstRun = argc == 3 && std::string(argv[1]) == "--first-run";
    if (argc != 2 && !firstRun) {
        std::fprintf(stderr, "usage: KeyConsole [--first-run] <resident program>\n");
        return 2;
    }
    const char* program = argv[argc - 1];
    CSingleKeySession session(kKey, "kv-run-usb-scenario.txt");
    if (!(firstRun ? RunFirstRun(session, program) : session.Start(program)))
        return 1;
    CResidentProcess& resident = session.Resident();
    std::printf("Brontal runs with the simulated key %04X:%04X \"%s\" attached.\n", kKey.identity.m_vendorId,
                kKey.identity.m_productId, kKey.identity.m_serialNumber.c_str());
    PrintHelp();

    std::atomic<bool> running{true};
    std::thread printer(PrintEvents, std::ref(session.Events()), std::cref(running));
    for (std::string line; running && std::getline(std::cin, line);) {
        const char command = line.empty() ? ' ' : line[0];
        switch (command) {
        case 'p':
            session.Pull();
            std::printf("key pulled\n");
            break;
        case 'i':
            session.Insert();
            std::printf("key inserted\n");
            break;
        case 'l':
            resident.Post(UM_LOCK_NOW);
            break;
        case 'r':
            resident.Post(UM_RELOAD_SETTINGS);
            break;
        case 'q':
            running = false;
            break;
        default:
            PrintHelp();
            break;
        }
        std::fflush(stdout);
    }
    running = false;
    printer.join();
    resident.Kill();
    return 0;
}
