// The main job from a terminal: registers a simulated key in the settings file, starts
// the resident program (a build whose USB calls go to the simulated machine), lets the
// user pull and insert the key, and prints the lock events as a client receives them.
// Usage: KeyConsole <resident program>
#include "common/CompanionLink.h"
#include "tests/resident/support/EventClient.h"
#include "tests/resident/support/ResidentProcess.h"
#include "tests/resident/support/SimulatedKeys.h"

#include <windows.h>

#include <dbt.h>

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

std::string ScenarioPath()
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "kv-run-usb-scenario.txt";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: KeyConsole <resident program>\n");
        return 2;
    }
    CLockSetting setting;
    setting.SetDefaults();
    setting.LockStartup = 0;
    setting.LockNoInput = 0;
    setting.KeyDevices = {kKey.identity};
    WriteSettings(setting);
    CSimulatedKeys keys(ScenarioPath(), {kKey});
    SetEnvironmentVariableA("KV_USB_SCENARIO", keys.Path().c_str());

    CEventClient events;
    CResidentProcess resident;
    if (!events.Start() || !resident.Start(argv[1], &events)) {
        std::fprintf(stderr, "the resident program did not start\n");
        return 1;
    }
    std::printf("Brontal runs with the simulated key %04X:%04X \"%s\" attached.\n", kKey.identity.m_vendorId,
                kKey.identity.m_productId, kKey.identity.m_serialNumber.c_str());
    PrintHelp();

    std::atomic<bool> running{true};
    std::thread printer(PrintEvents, std::ref(events), std::cref(running));
    for (std::string line; running && std::getline(std::cin, line);) {
        const char command = line.empty() ? ' ' : line[0];
        switch (command) {
        case 'p':
            keys.Pull(kKey.tag);
            resident.Post(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);
            std::printf("key pulled\n");
            break;
        case 'i':
            keys.Insert(kKey.tag);
            resident.Post(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);
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
