// The moving message's cost while the PC sits locked and idle: it runs its 1 ms timer
// over a full screen for the given time (60 s unless told) and prints, every 10 s and at
// the end, the process's CPU time, its committed memory and its GDI and USER object
// counts, so a handle leak per step would show as a rising count. Wine reports no object
// counts (GetGuiResources gives 0, which no process with a window has): they show as n/a,
// and the slot a new GDI object and a new USER object take stands in: freed slots are
// reused first, so it stays put unless objects leak.
// A sample's figures: the seconds since the start; cpu, the process's CPU time (kernel
// and user) since then; pagefile, its committed private memory (PagefileUsage) in KB;
// steps, the message's 20-pixel moves so far, each a redraw (a new pass, back at the
// right edge, counts one); gdi and user, its GDI and USER objects; next slot, the handle
// table slot (the handle's low 16 bits) that a new region and a new menu take.
// A benchmark, not a timed test.
// Usage: MovingMessageBenchmark [seconds]
#include "display/MovingMessageWnd.h"
#include "display/TopmostWindowList.h"
#include "tests/support/Benchmark.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

namespace {

double CpuMilliseconds()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

// The table slot (low 16 bits of the handle) that a new object of each kind takes.
unsigned NextGdiSlot()
{
    const HRGN probe = CreateRectRgn(0, 0, 1, 1);
    const unsigned slot = static_cast<unsigned>(reinterpret_cast<UINT_PTR>(probe) & 0xFFFF);
    DeleteObject(probe);
    return slot;
}

unsigned NextUserSlot()
{
    const HMENU probe = CreateMenu();
    const unsigned slot = static_cast<unsigned>(reinterpret_cast<UINT_PTR>(probe) & 0xFFFF);
    DestroyMenu(probe);
    return slot;
}

// The process's objects of a kind (GR_GDIOBJECTS, GR_USEROBJECTS); "n/a" where the
// platform does not count them.
std::string ObjectCount(DWORD kind)
{
    const DWORD count = GetGuiResources(GetCurrentProcess(), kind);
    return count ? std::to_string(count) : "n/a";
}

bool ObjectsCounted()
{
    return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS) && GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
}

void Sample(DWORD elapsedMs, double cpuStartMs, int steps)
{
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    std::printf("%5.1f s  cpu %8.1f ms  pagefile %6lu KB  steps %d\n", elapsedMs / 1000.0,
                CpuMilliseconds() - cpuStartMs, static_cast<unsigned long>(memory.PagefileUsage / 1024), steps);
    std::printf("         gdi %4s (next slot %5u)  user %4s (next slot %5u)\n", ObjectCount(GR_GDIOBJECTS).c_str(),
                NextGdiSlot(), ObjectCount(GR_USEROBJECTS).c_str(), NextUserSlot());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    int seconds = 60;
    if (!ReadCounts(argc, argv, 1, {&seconds}, "MovingMessageBenchmark [seconds]"))
        return 2;
    CTopmostWindowList topmost;
    CMovingMessageWnd message(topmost);
    message.SetMessage("このコンピュータはロックされています。");
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    if (!message.Create(width, height, nullptr)) {
        std::fprintf(stderr, "the moving message could not be created\n");
        return 1;
    }
    std::printf("moving message over %d x %d for %d s, two lines every 10 s\n", width, height, seconds);
    if (!ObjectsCounted())
        std::printf("object counts: n/a (not counted under Wine); the next slot of each stands in\n");
    const double cpuStart = CpuMilliseconds();
    const DWORD start = GetTickCount();
    const DWORD end = static_cast<DWORD>(seconds) * 1000;
    DWORD nextSample = 0;
    int steps = 0;
    int lastX = message.Motion().X();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        const int x = message.Motion().X();
        steps += x < lastX ? (lastX - x) / CMessageMotion::kStep : (x > lastX ? 1 : 0);  // a new pass: about one
        lastX = x;
        // The end of the run is sampled too: its figures are the ones a run is for.
        const bool over = elapsed >= end;
        if (elapsed >= nextSample || over) {
            Sample(elapsed, cpuStart, steps);
            nextSample += 10000;
        }
        if (over)
            break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    return Finished();
}
