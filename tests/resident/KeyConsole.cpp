// The main job from a terminal: registers a simulated key in the settings file, starts
// the resident program (a build whose USB calls go to the simulated machine), lets the
// user pull and insert the key, and prints the lock events as a client receives them.
// Usage: KeyConsole <resident program>
#include "common/CompanionLink.h"
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


} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: KeyConsole <resident program>\n");
        return 2;
    }
    CSingleKeySession session(kKey, "kv-run-usb-scenario.txt");
    if (!session.Start(argv[1]))
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
