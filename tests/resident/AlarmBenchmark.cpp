// Latency of the alarm under Wine: from the Nth qualifying key-up (typed by SendInput on
// the locked display, the N-1 before it already counted) to event 4 at a client in this
// process, over a number of alarms. A benchmark, not a timed test.
// Usage: AlarmBenchmark <resident program> [alarms]
#include "tests/resident/support/SingleKeySession.h"
#include "tests/support/Benchmark.h"
#include "tests/support/BenchmarkProgress.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const SSimulatedKey kKey{"key", CKeyDevice(0x0951, 0x1666, "KV-BENCH-0004")};
constexpr int kKeyCount = 10;
constexpr DWORD kEventWait = 5000;

void TypeKeyUp()
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = 'Q';
    input.ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
}

// Milliseconds from the last key-up of a burst to event 4; negative when none came.
double MeasureAlarm(CSingleKeySession& session)
{
    for (int key = 1; key < kKeyCount; ++key)
        TypeKeyUp();
    Sleep(300);  // the first N-1 are counted
    session.Events().Clear();
    const std::int64_t start = PerformanceNow();
    TypeKeyUp();
    const auto event = session.Events().Next(kEventWait);
    if (!event || event->code != 4)
        return -1;
    return ElapsedMs(start, event->arrived);
}

} // namespace

int main(int argc, char** argv)
{
    int alarms = 20;
    if (!ReadCounts(argc, argv, 2, {&alarms}, "AlarmBenchmark <resident program> [alarms]"))
        return 2;
    CSingleKeySession session(kKey, "kv-alarm-bench-usb-scenario-" + std::to_string(GetCurrentProcessId()) + ".txt");
    const bool started = session.Start(argv[1], [](CLockSetting& setting) {
        setting.AlarmSetting.AlarmKeyCount = kKeyCount;
        setting.AlarmSetting.AlarmPlaySec = 0;  // over at the first tick after one second
    });
    if (!started)
        return 1;
    Sleep(1000);
    session.Pull();
    const auto locked = session.Events().Next(kEventWait);
    if (!locked || locked->code != 1) {
        std::fprintf(stderr, "the program did not lock\n");
        return 1;
    }
    Sleep(1000);  // the lock display puts its hook on

    std::vector<double> samples;
    CBenchmarkProgress progress("alarms", alarms);
    for (int i = 0; i < alarms; ++i) {
        const double latency = MeasureAlarm(session);
        if (latency < 0) {
            std::fprintf(stderr, "alarm %d: event 4 did not arrive\n", i + 1);
            return 1;
        }
        samples.push_back(latency);
        progress.Done(i + 1);
        Sleep(2500);  // the alarm ends and counting starts again
    }
    std::sort(samples.begin(), samples.end());
    PrintFigures(Format("key-up %d to event 4", kKeyCount),
                 Format("n=%zu  median %.2f ms  min %.2f ms  max %.2f ms", samples.size(), samples[samples.size() / 2],
                        samples.front(), samples.back()));
    return Finished();
}
