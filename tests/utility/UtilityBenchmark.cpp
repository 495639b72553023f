// From Save (OK) in the settings utility to event 3 at a lock-event client: the utility
// writes the file and tells Brontal, which reloads and publishes. Median and maximum over
// the saves; each save changes the idle minutes. Then the add-key dialog's list with 100
// attached devices: from the device notice to all rows shown (the utility's re-check of
// the simulated machine included), one device pulled or put back each time.
// A benchmark, not a timed test.
// Usage: UtilityBenchmark <Brontal> <BrontalUtility> [saves]
#include "tests/resident/support/EventClient.h"
#include "tests/resident/support/ResidentProcess.h"
#include "tests/resident/support/SheetDriver.h"
#include "tests/resident/support/SimulatedKeys.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kWaitMinutesId = 1012;
constexpr int kEventChangeSetting = 3;
constexpr int kKeyPage = 3;
constexpr int kAddKeyId = 1023;
constexpr int kHardwareListId = 1000;
constexpr int kDeviceTreeId = 1010;
constexpr int kAttachedDevices = 100;
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

double Median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// Waits for the row count with a finer poll than WaitUntil's; false when it never came.
bool WaitForRows(HWND list, int rows)
{
    const DWORD start = GetTickCount();
    while (SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) != rows) {
        if (GetTickCount() - start > 10000)
            return false;
        Sleep(1);
    }
    return true;
}

// Milliseconds from each device notice to the add-key dialog's rebuilt list; empty when
// the dialog did not come up or a rebuild never showed.
std::vector<double> MeasureAddKeyRebuilds(const std::string& utilityPath, int rebuilds)
{
    std::vector<SSimulatedKey> machine{kKey};
    for (int device = 0; device < kAttachedDevices; ++device) {
        char tag[16];
        char serial[32];
        std::snprintf(tag, sizeof tag, "D%d", device);
        std::snprintf(serial, sizeof serial, "BENCH-%03d", device);
        machine.push_back({tag, CKeyDevice(0x1000, static_cast<std::uint16_t>(device), serial)});
    }
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    CSimulatedKeys keys(std::string(folder) + "utility-bench-devices.txt", machine);
    SetEnvironmentVariableA("KV_USB_SCENARIO", keys.Path().c_str());
    CResidentProcess utility;
    HWND sheet = nullptr;
    if (!utility.Launch(utilityPath) ||
        !WaitUntil([&] { return (sheet = CSheetDriver::FindSheet(utility.ProcessId())) != nullptr; }))
        return {};
    const CSheetDriver driver(sheet);
    PostMessageA(sheet, PSM_SETCURSEL, kKeyPage, 0);
    if (!driver.WaitForPage(kKeyPage))
        return {};
    driver.Click(kAddKeyId);
    HWND dialog = nullptr;
    WaitUntil([&] { return (dialog = CSheetDriver::FindDialogWith(utility.ProcessId(), kDeviceTreeId)) != nullptr; });
    const HWND list = dialog ? GetDlgItem(dialog, kHardwareListId) : nullptr;
    if (!list || !WaitForRows(list, kAttachedDevices))
        return {};
    std::vector<double> samples;
    for (int rebuild = 0; rebuild < rebuilds; ++rebuild) {
        const bool pull = rebuild % 2 == 0;
        pull ? keys.Pull("D0") : keys.Insert("D0");
        const std::int64_t start = PerformanceNow();
        PostMessageA(sheet, WM_DEVICECHANGE, 7, 0);  // DBT_DEVNODES_CHANGED
        if (!WaitForRows(list, pull ? kAttachedDevices - 1 : kAttachedDevices))
            return {};
        samples.push_back(Milliseconds(PerformanceNow() - start));
    }
    utility.Kill();
    return samples;
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
    std::printf("utility Save to event 3: n=%zu  median %.1f ms  max %.1f ms\n", samples.size(), Median(samples),
                *std::max_element(samples.begin(), samples.end()));

    const std::vector<double> rebuilds = MeasureAddKeyRebuilds(argv[2], saves);
    if (rebuilds.empty()) {
        std::fprintf(stderr, "the add-key dialog's list did not follow the devices\n");
        return 1;
    }
    std::printf("add-key list, %d devices, notice to rows shown: n=%zu  median %.1f ms  max %.1f ms\n",
                kAttachedDevices, rebuilds.size(), Median(rebuilds), *std::max_element(rebuilds.begin(), rebuilds.end()));
    return 0;
}
