// From Save (OK) in the settings utility to event 3 at a lock-event client: the utility
// writes the file and tells Brontal, which reloads and publishes. Median and maximum over
// the saves; each save changes the idle minutes. A benchmark, not a timed test.
// Usage: UtilityBenchmark <Brontal> <BrontalUtility> [saves]
#include "tests/resident/support/EventClient.h"
#include "tests/resident/support/ResidentProcess.h"
#include "tests/resident/support/SheetDriver.h"
#include "tests/resident/support/SimulatedKeys.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kWaitMinutesId = 1012;
constexpr int kEventChangeSetting = 3;
const SSimulatedKey kKey{"A", CKeyDevice(0x0951, 0x1666, "KV-BENCH-0001")};

double Milliseconds(std::int64_t ticks)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

// Milliseconds from OK to event 3; negative when the save or the event did not come.
double MeasureSave(const std::string& utilityPath, CEventClient& events, int minutes)
{
    CResidentProcess utility;
    HWND sheet = nullptr;
    if (!utility.Launch(utilityPath) ||
        !WaitUntil([&] { return (sheet = CSheetDriver::FindSheet(utility.ProcessId())) != nullptr; }))
        return -1;
    const CSheetDriver driver(sheet);
    driver.SetText(kWaitMinutesId, std::to_string(minutes));
    events.Clear();
    const std::int64_t start = PerformanceNow();
    PostMessageA(GetDlgItem(sheet, IDOK), BM_CLICK, 0, 0);
    const auto event = events.Next(10000);
    utility.WaitForExit(10000);
    if (!event || event->code != kEventChangeSetting)
        return -1;
    return Milliseconds(event->arrived - start);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: UtilityBenchmark <Brontal> <BrontalUtility> [saves]\n");
        return 2;
    }
    const int saves = argc > 3 ? std::atoi(argv[3]) : 20;
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const CSimulatedKeys keys(std::string(folder) + "utility-bench.txt", {kKey});
    SetEnvironmentVariableA("KV_USB_SCENARIO", keys.Path().c_str());
    CLockSetting setting;
    setting.SetDefaults();
    setting.LockStartup = 0;
    setting.KeyDevices = {kKey.identity};
    WriteSettings(setting);
    CEventClient events;
    CResidentProcess resident;
    if (!events.Start() || !resident.Start(argv[1], &events)) {
        std::fprintf(stderr, "Brontal did not start\n");
        return 1;
    }
    std::vector<double> samples;
    for (int save = 0; save < saves; ++save) {
        const double ms = MeasureSave(argv[2], events, 2 + save % 2);
        if (ms < 0) {
            std::fprintf(stderr, "save %d: no event 3\n", save);
            return 1;
        }
        samples.push_back(ms);
    }
    std::sort(samples.begin(), samples.end());
    std::printf("utility Save to event 3: n=%zu  median %.1f ms  max %.1f ms\n", samples.size(),
                samples[samples.size() / 2], samples.back());
    return 0;
}
