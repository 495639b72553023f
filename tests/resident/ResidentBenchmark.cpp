// Latency of the main road under Wine, on the Windows 7 road (the lock display is the
// resident program's own window) with two simulated monitors: from the moment the
// simulated key is pulled (the scenario rewritten and WM_DEVICECHANGE posted) to event 1
// at a client in this process, to every monitor covered by a visible topmost window of
// the program (as Win32 reports the windows) and to the lock picture on the screen at
// each monitor (as the X server shows it); from its insertion to event 2. Then it leaves
// the resident program idle while the benchmark script reads its CPU time (Wine does not
// report another process's times).
// Usage: ResidentBenchmark <resident program> [cycles] [idle seconds]
#include "tests/resident/support/LockScreenProgram.h"
#include "tests/resident/support/Samples.h"
#include "tests/resident/support/SingleKeySession.h"
#include "tests/support/BenchmarkProgress.h"

#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

const SSimulatedKey kKey{"key", CKeyDevice(0x0951, 0x1666, "KV-BENCH-0001")};
constexpr DWORD kEventWait = 5000;
constexpr COLORREF kPictureColour = RGB(30, 120, 200);
const char kMonitorScenario[] = "monitor left=0 top=0 right=640 bottom=512 primary=1\n"
                                "monitor left=640 top=0 right=1280 bottom=512\n";
const RECT kMonitors[] = {{0, 0, 640, 512}, {640, 0, 1280, 512}};

std::string TempPath(const std::string& name)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

struct SCoverSearch {
    DWORD process;
    const RECT* monitor;
    bool found;
};

BOOL CALLBACK FindCover(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<SCoverSearch*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    RECT rect = {};
    search->found = process == search->process && IsWindowVisible(window) &&
                    (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) && GetWindowRect(window, &rect) &&
                    EqualRect(&rect, search->monitor);
    return !search->found;
}

bool CoversEveryMonitor(DWORD process)
{
    for (const RECT& monitor : kMonitors) {
        SCoverSearch search{process, &monitor, false};
        EnumWindows(FindCover, reinterpret_cast<LPARAM>(&search));
        if (!search.found)
            return false;
    }
    return true;
}

bool PaintsEveryMonitor()
{
    for (const RECT& monitor : kMonitors) {
        if (ScreenPixel(monitor.left + 100, monitor.top + 100) != kPictureColour)
            return false;
    }
    return true;
}

struct SPullTimes {
    double event;
    double covered;
    double painted;
};

// Milliseconds from the pull to event 1, to the covers and to the picture on the screen,
// polled every millisecond; none when one of them did not come.
std::optional<SPullTimes> MeasurePull(CSingleKeySession& session)
{
    session.Events().Clear();
    const DWORD process = session.Resident().ProcessId();
    const std::int64_t start = PerformanceNow();
    session.Pull();
    std::optional<double> covered, painted;
    for (const DWORD begin = GetTickCount(); !painted && GetTickCount() - begin < kEventWait; Sleep(1)) {
        if (!covered && CoversEveryMonitor(process))
            covered = ElapsedMs(start, PerformanceNow());
        if (covered && PaintsEveryMonitor())
            painted = ElapsedMs(start, PerformanceNow());
    }
    const auto event = session.Events().Next(kEventWait);
    if (!event || event->code != 1 || !painted)
        return std::nullopt;
    return SPullTimes{ElapsedMs(start, event->arrived), *covered, *painted};
}

// Milliseconds from the insertion to event 2, once nothing covers any more; negative
// when that did not come.
double MeasureInsert(CSingleKeySession& session)
{
    session.Events().Clear();
    const std::int64_t start = PerformanceNow();
    session.Insert();
    const auto event = session.Events().Next(3 * kEventWait);  // hiding takes about 2 s on Xvfb
    if (!event || event->code != 2 || !WaitFor([&] { return !CoversEveryMonitor(session.Resident().ProcessId()); }))
        return -1;
    return ElapsedMs(start, event->arrived);
}

} // namespace

int main(int argc, char** argv)
{
    int cycles = 50, idleSeconds = 0;
    if (!ReadCounts(argc, argv, 2, {&cycles, &idleSeconds}, "ResidentBenchmark <resident program> [cycles] [idle seconds]"))
        return 2;
    const std::string tag = std::to_string(GetCurrentProcessId());
    const std::string monitors = TempPath("kv-bench-monitors-" + tag + ".txt");
    const std::string picture = TempPath("kv-bench-lock-" + tag + ".bmp");
    if (FILE* scenario = std::fopen(monitors.c_str(), "wb")) {
        std::fputs(kMonitorScenario, scenario);
        std::fclose(scenario);
    }
    SetEnvironmentVariableA("KV_DISPLAY_SCENARIO", monitors.c_str());
    WriteSolidBitmap(picture, kPictureColour);
    const CWineProgramVersion residentVersion("Brontal.exe", "win7");

    int status = 0;
    {
        CSingleKeySession session(kKey, "kv-bench-usb-scenario-" + tag + ".txt");
        session.SetLockPicture(picture);
        if (!session.Start(argv[1]))
            return 1;
        Sleep(1000);  // start-up settles: the first checks and the client's registration

        std::vector<double> events, covers, paints, inserts;
        CBenchmarkProgress progress("cycles of a pull and an insertion", cycles);
        for (int i = 0; i < cycles && status == 0; ++i) {
            const std::optional<SPullTimes> pulled = MeasurePull(session);
            const double inserted = MeasureInsert(session);
            if (!pulled || inserted < 0) {
                std::fprintf(stderr, "cycle %d: an event or the covers did not come\n", i + 1);
                status = 1;
                break;
            }
            events.push_back(pulled->event);
            covers.push_back(pulled->covered);
            paints.push_back(pulled->painted);
            inserts.push_back(inserted);
            progress.Done(i + 1);
        }
        Report("pull to event 1", events);
        Report("pull to every monitor covered", covers);
        Report("pull to the picture on screen", paints);
        Report("insert to event 2", inserts);

        if (status == 0 && idleSeconds > 0) {
            std::printf("idle for %d s\n", idleSeconds);
            std::fflush(stdout);
            Sleep(static_cast<DWORD>(idleSeconds) * 1000);
        }
    }
    DeleteFileA(monitors.c_str());
    DeleteFileA(picture.c_str());
    return status == 0 ? Finished() : status;
}
