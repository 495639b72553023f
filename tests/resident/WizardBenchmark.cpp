// The first-run wizard's start up to its device rows, with 100 simulated devices attached:
// from DoModal to the hardware list holding every row (the page registers with the USB
// worker, which enumerates the machine and posts the notice). Median and maximum over
// the runs. A benchmark, not a timed test.
// Usage: WizardBenchmark [runs] [devices]
#include "resident/wizard/InitWizard.h"
#include "resident/wizard/WizardResource.h"
#include "tests/resident/support/SheetDriver.h"
#include "tests/resident/support/SimulatedKeys.h"
#include "tests/support/Benchmark.h"
#include "tests/support/BenchmarkProgress.h"
#include "usbkey/FilterUsbCheckThread.h"
#include "usbkey/sim/SimUsbMachine.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

double Milliseconds(LONGLONG ticks)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

LONGLONG Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

std::vector<SSimulatedKey> Devices(int count)
{
    std::vector<SSimulatedKey> devices;
    for (int i = 0; i < count; ++i) {
        char serial[16];
        std::snprintf(serial, sizeof serial, "KV%04d", i);
        devices.push_back({std::to_string(i), CKeyDevice(0x0951, static_cast<std::uint16_t>(0x1000 + i), serial)});
    }
    return devices;
}

// Milliseconds from the wizard's start to all rows shown; negative when they never were.
double MeasureOnce(usbkey::CFilterUsbCheckThread* usb, int rows)
{
    CLockSetting setting;
    setting.SetDefaults();
    CInitWizard wizard(&setting, usb, IDS_MESSAGE_CAPTION, GetDesktopWindow());
    std::atomic<LONGLONG> start{0};
    std::thread ui([&] {
        start = Now();
        wizard.DoModal();
    });
    HWND sheet = nullptr;
    double elapsed = -1;
    if (WaitUntil([&] { return (sheet = CSheetDriver::FindSheet(GetCurrentProcessId())) != nullptr; })) {
        const CSheetDriver driver(sheet);
        const DWORD deadline = GetTickCount() + 15000;
        while (driver.RowCount(IDC_HARDWARE_LIST) < rows && GetTickCount() < deadline)
            Sleep(1);
        if (driver.RowCount(IDC_HARDWARE_LIST) == rows)
            elapsed = Milliseconds(Now() - start);
        driver.Press(PSBTN_CANCEL);
    }
    ui.join();
    return elapsed;
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 20, count = 100;
    if (!ReadCounts(argc, argv, 1, {&runs, &count}, "WizardBenchmark [runs] [devices]"))
        return 2;
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const CSimulatedKeys keys(std::string(folder) + "wizard-bench.txt", Devices(count));
    usbkey::CSimUsbMachine machine;
    machine.WatchScenarioFile(keys.Path());
    usbkey::CFilterUsbCheckThread* usb = usbkey::CFilterUsbCheckThread::Begin(machine);
    if (!usb) {
        std::fprintf(stderr, "the USB worker did not start\n");
        return 1;
    }
    std::vector<double> samples;
    CBenchmarkProgress progress("wizard starts", runs);
    for (int run = 0; run < runs; ++run) {
        const double ms = MeasureOnce(usb, count);
        if (ms < 0) {
            std::fprintf(stderr, "run %d: the rows did not all show\n", run);
            usbkey::CFilterUsbCheckThread::End(usb);
            return 1;
        }
        samples.push_back(ms);
        progress.Done(run + 1);
    }
    usbkey::CFilterUsbCheckThread::End(usb);
    std::sort(samples.begin(), samples.end());
    PrintFigures(Format("wizard start to %d device rows:", count),
                 Format("n=%zu  median %.1f ms  max %.1f ms", samples.size(), samples[samples.size() / 2], samples.back()));
    return Finished();
}
