// Times the road of a lock event from a key pull at Brontal (its simulated-USB test build)
// to the record at the stand-in log library, through ArdenvaleAPI.dll and the plug-in in
// a stand-in log host (this program). Prints the median and the spread over 50 pulls.
// Usage: LoggerBenchmark [pulls]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "common/CompanionLink.h"
#include "tests/logplugin/LogHost.h"
#include "tests/resident/support/SingleKeySession.h"
#include "tests/support/Benchmark.h"
#include "tests/support/BenchmarkProgress.h"

namespace {

constexpr DWORD kWait = 10000;
const SSimulatedKey kKey{"key", CKeyDevice(0x0951, 0x1666, "KV-LOGBENCH-01")};

std::int64_t Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double Ms(std::int64_t ticks)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * double(ticks) / double(frequency.QuadPart);
}

// The arrival of the next record with this code after `seen` records; 0 when none came.
std::int64_t WaitForCode(CLogHost& host, std::size_t& seen, int code)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < kWait) {
        const std::vector<SLogRecord> records = host.WaitForRecords(seen + 1, 5);
        for (; seen < records.size(); ++seen) {
            if (records[seen].code == code)
                return records[seen++].arrival;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    int cycles = 50;
    if (!ReadCounts(argc, argv, 1, {&cycles}, "LoggerBenchmark [pulls]"))
        return 2;
    CLogHost host("logger-benchmark");
    CSingleKeySession session(kKey, "logger-benchmark.txt");
    if (!host.Load() || host.Plugin().OnInit(FALSE) != 0 || host.Plugin().LoggingStart() != 0) {
        std::fprintf(stderr, "the plug-in did not start\n");
        return 1;
    }
    if (!session.Start(WindowsPathOf(KV_SIMULATED_BRONTAL).c_str()))
        return 1;
    std::size_t seen = 0;
    for (int i = 0; i < 50 && host.Records().empty(); ++i) {  // until the client library is registered
        session.Resident().Post(UM_RELOAD_SETTINGS);
        host.WaitForRecords(1, 200);
    }
    seen = host.Records().size();
    std::vector<double> delays;
    CBenchmarkProgress progress("pulls and insertions", cycles);
    for (int i = 0; i < cycles; ++i) {
        const std::int64_t pulled = Now();
        session.Pull();
        const std::int64_t arrived = WaitForCode(host, seen, 1);
        session.Insert();
        if (!arrived || !WaitForCode(host, seen, 2)) {
            std::fprintf(stderr, "cycle %d: no record\n", i);
            return 1;
        }
        delays.push_back(Ms(arrived - pulled));
        progress.Done(i + 1);
    }
    host.Plugin().LoggingStop();
    std::sort(delays.begin(), delays.end());
    PrintFigures(Format("pull to record 1 at the log library, %d pulls:", cycles),
                 Format("median %.2f ms  p90 %.2f ms  min %.2f ms  max %.2f ms", delays[delays.size() / 2],
                        delays[delays.size() * 9 / 10], delays.front(), delays.back()));
    return Finished();
}
