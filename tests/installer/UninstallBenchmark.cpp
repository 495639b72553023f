// Times Setwarden's Uninstall with Pernwick and Brontal running from one folder (the
// watchdog having started the resident program) and no key registered, so the time is
// the stop of both programs and the removal of the settings: the stand-in installer's
// call, timed around the export in this process. Prints the median over the runs.
// Usage: UninstallBenchmark [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "tests/companions/support/InstalledPrograms.h"
#include "tests/resident/support/ResidentProcess.h"
#include "tests/support/Benchmark.h"
#include "tests/support/BenchmarkProgress.h"

namespace {

using Export = int(WINAPI*)(LPARAM, LPARAM, LPARAM);

double Ms(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 10;
    if (!ReadCounts(argc, argv, 1, {&runs}, "UninstallBenchmark [runs]"))
        return 2;
    const HMODULE library = LoadLibraryA(WindowsPathOf(KV_SETWARDEN_SIMULATED).c_str());
    const auto uninstall =
        library ? reinterpret_cast<Export>(reinterpret_cast<void (*)()>(GetProcAddress(library, "Uninstall"))) : nullptr;
    if (!uninstall) {
        std::fprintf(stderr, "Setwarden.dll or its Uninstall is missing\n");
        return 1;
    }
    CInstalledPrograms programs("setwarden-benchmark", CInstalledPrograms::WithWatchdog);
    std::vector<double> times;
    CBenchmarkProgress progress("uninstalls", runs);
    for (int run = 0; run < runs; ++run) {
        CInstalledPrograms::RegisterKey();
        if (!programs.Launch("Pernwick.exe") || !WaitForResident(true, 15000)) {
            std::fprintf(stderr, "run %d: the programs did not start\n", run);
            return 1;
        }
        CInstalledPrograms::RegisterNoKey();
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        const int result = uninstall(0, 0, 0);
        QueryPerformanceCounter(&end);
        if (result != 0 || ProcessOf("Brontal.exe") || ProcessOf("Pernwick.exe")) {
            std::fprintf(stderr, "run %d: Uninstall answered %d or left a program running\n", run, result);
            return 1;
        }
        times.push_back(Ms(start, end));
        progress.Done(run + 1);
    }
    std::sort(times.begin(), times.end());
    PrintFigures(Format("Uninstall with Pernwick and Brontal running, %d runs:", runs),
                 Format("median %.1f ms  min %.1f ms  max %.1f ms", times[times.size() / 2], times.front(), times.back()));
    FreeLibrary(library);
    return Finished();
}
