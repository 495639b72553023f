// Timings for the record, under Wine (tools/benchmark-companions):
// 1. GetEventData with 10,000 records pending in ArdenvaleAPI.dll.
// 2. From a kill of the resident program to the first lock event of the program the
//    watchdog started again, at the sample client (median over 20 kills).
// Usage: CompanionsBenchmark [records] [kills]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "common/CompanionLink.h"
#include "eventapi/ArdenvaleAPI.h"
#include "lockcore/EventMessage.h"
#include "tests/companions/support/InstalledPrograms.h"
#include "tests/companions/support/SampleClientProcess.h"
#include "tests/support/Benchmark.h"
#include "tests/support/BenchmarkProgress.h"

namespace {

double NowMs()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}


bool RestartLatency(int kills)
{
    CInstalledPrograms programs("bench", CInstalledPrograms::WithWatchdog);
    CInstalledPrograms::RegisterKey();
    CSampleClientProcess client;
    if (!client.Start(programs.Path("")) || !programs.Launch("Pernwick.exe") || !WaitForResident(true, 15000)) {
        std::fprintf(stderr, "the programs did not start\n");
        return false;
    }
    programs.Pull();
    if (client.NextEvent() != EVENT_LOCK)
        return false;
    std::vector<double> ms;
    CBenchmarkProgress progress("kills of Brontal", kills);
    for (int i = 0; i < kills; ++i) {
        const double start = NowMs();
        KillProcessOf(kResidentExecutable);
        if (client.NextEvent(15000) != EVENT_LOCK) {
            std::fprintf(stderr, "kill %d: no lock event\n", i);
            continue;
        }
        ms.push_back(NowMs() - start);
        WaitForResident(true, 15000);
        progress.Done(i + 1);
    }
    if (ms.empty())
        return false;
    std::sort(ms.begin(), ms.end());
    PrintFigures("kill to lock event of the restarted program:",
                 Format("n=%zu  median %.1f ms  min %.1f ms  max %.1f ms", ms.size(), ms[ms.size() / 2], ms.front(),
                        ms.back()));
    return true;
}

LRESULT CALLBACK IgnoreAll(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

BOOL CALLBACK FindLibraryWindow(HWND window, LPARAM found)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (process != GetCurrentProcessId() || std::string(name) != "ArdenvaleEventClientWnd")
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

bool ReadThroughput(int records)
{
    CInstalledPrograms programs("bench-api", CInstalledPrograms::WithoutWatchdog);
    const HMODULE library = LoadLibraryA(programs.Path("ArdenvaleAPI.dll").c_str());
    if (!library)
        return false;
    SArdenvaleFunctions api;
    if (!api.Bind(library))
        return false;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = IgnoreAll;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "KvBenchCaller";
    RegisterClassA(&windowClass);
    const HWND caller = CreateWindowExA(0, "KvBenchCaller", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    api.RegGetEvent(caller, WM_APP + 1);
    HWND worker = nullptr;
    EnumWindows(FindLibraryWindow, reinterpret_cast<LPARAM>(&worker));
    if (!worker)
        return false;

    std::printf("measuring %d records sent to ArdenvaleAPI.dll and read back\n", records);
    std::fflush(stdout);
    std::vector<uint8_t> record = BuildEventMessage(EVENT_LOCK);
    const double receiveStart = NowMs();
    for (int i = 0; i < records; ++i) {
        COPYDATASTRUCT data{0, static_cast<DWORD>(record.size()), record.data()};
        SendMessageA(worker, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    }
    const double received = NowMs() - receiveStart;

    // The ids are 0 to records - 1 (the lowest free one each time); read the newest first,
    // then the oldest first, half each.
    int read = 0;
    const double readStart = NowMs();
    for (int id = records - 1; id >= records / 2; --id) {
        int code = 0;
        read += api.GetEventData(static_cast<UINT>(id), &code) && code == EVENT_LOCK;
    }
    for (int id = 0; id < records / 2; ++id) {
        int code = 0;
        read += api.GetEventData(static_cast<UINT>(id), &code) && code == EVENT_LOCK;
    }
    const double readMs = NowMs() - readStart;
    PrintFigures(Format("%d records received (WM_COPYDATA between threads):", records),
                 Format("%.1f ms, %.1f us each", received, 1000.0 * received / records));
    PrintFigures(Format("GetEventData with %d pending:", records),
                 Format("%d read: %.2f ms, %.2f us each, %.0f/s", read, readMs, 1000.0 * readMs / records,
                        records / (readMs / 1000.0)));
    api.UnRegGetEvent();
    DestroyWindow(caller);
    FreeLibrary(library);
    return read == records;
}

} // namespace

int main(int argc, char** argv)
{
    int records = 10000, kills = 20;
    if (!ReadCounts(argc, argv, 1, {&records, &kills}, "CompanionsBenchmark [records] [kills]"))
        return 2;
    const bool throughput = ReadThroughput(records);
    const bool restart = RestartLatency(kills);
    return throughput && restart ? Finished() : 1;
}
