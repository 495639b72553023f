// Latency of the main road under Wine: from the moment the simulated key is pulled (the
// scenario rewritten and WM_DEVICECHANGE posted) to event 1 at a client in this process,
// and from its insertion to event 2; then it leaves the resident program idle while the
// benchmark script reads its CPU time (Wine does not report another process's times).
// Usage: ResidentBenchmark <resident program> [cycles] [idle seconds]
#include "tests/resident/support/Samples.h"
#include "tests/resident/support/SingleKeySession.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const SSimulatedKey kKey{"key", CKeyDevice(0x0951, 0x1666, "KV-BENCH-0001")};
constexpr DWORD kEventWait = 5000;

// Milliseconds from the start of a key change to the expected event; negative when none came.
double Measure(CSingleKeySession& session, bool pull, int expected)
{
    session.Events().Clear();
    const std::int64_t start = PerformanceNow();
    if (pull)
        session.Pull();
    else
        session.Insert();
    const auto event = session.Events().Next(kEventWait);
    if (!event || event->code != expected)
        return -1;
    return ElapsedMs(start, event->arrived);
}


} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: ResidentBenchmark <resident program> [cycles] [idle seconds]\n");
        return 2;
    }
    const int cycles = argc > 2 ? std::atoi(argv[2]) : 50;
    const int idleSeconds = argc > 3 ? std::atoi(argv[3]) : 0;
    CSingleKeySession session(kKey, "kv-bench-usb-scenario-" + std::to_string(GetCurrentProcessId()) + ".txt");
    if (!session.Start(argv[1]))
        return 1;
    Sleep(1000);  // start-up settles: the first checks and the client's registration

    std::vector<double> pulls, inserts;
    for (int i = 0; i < cycles; ++i) {
        const double pulled = Measure(session, true, 1);
        const double inserted = Measure(session, false, 2);
        if (pulled < 0 || inserted < 0) {
            std::fprintf(stderr, "cycle %d: an event did not arrive\n", i + 1);
            return 1;
        }
        pulls.push_back(pulled);
        inserts.push_back(inserted);
    }
    Report("pull to event 1", pulls);
    Report("insert to event 2", inserts);

    if (idleSeconds > 0) {
        std::printf("idle for %d s\n", idleSeconds);
        std::fflush(stdout);
        Sleep(static_cast<DWORD>(idleSeconds) * 1000);
    }
    return 0;
}
