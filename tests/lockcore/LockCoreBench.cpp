// Timings of the channels between programs, printed for the record (not a test):
// one command round trip over the pipes to the stub lock-screen program, and one event
// record delivered to 1, 10 and 50 client windows in another process.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "lockcore/EventMessage.h"
#include "lockcore/EventServerWnd.h"
#include "lockcore/LockScreenLink.h"
#include "tests/lockcore/ChildProcess.h"
#include "tests/lockcore/TestLog.h"
#include "tests/lockcore/TestNames.h"

namespace {

class Stopwatch {
public:
    Stopwatch() { QueryPerformanceFrequency(&m_frequency); }
    void Start() { QueryPerformanceCounter(&m_start); }
    double Milliseconds() const
    {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return 1000.0 * static_cast<double>(now.QuadPart - m_start.QuadPart) / static_cast<double>(m_frequency.QuadPart);
    }

private:
    LARGE_INTEGER m_frequency{};
    LARGE_INTEGER m_start{};
};

void Report(const char* what, std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    const double median = samples[samples.size() / 2];
    const double p99 = samples[std::min(samples.size() - 1, samples.size() * 99 / 100)];
    std::printf("%-40s n=%-5zu median %7.3f ms  p99 %7.3f ms  max %7.3f ms\n", what, samples.size(), median, p99,
                samples.back());
}

bool BenchCommandRoundTrip()
{
    SetEnvironmentVariableA("KV_STUB_QUIET", "1");
    CLockScreenLink link;
    if (!link.Start(nullptr)) {
        std::printf("the stub lock-screen program could not be linked\n");
        return false;
    }
    Stopwatch watch;
    std::vector<double> samples;
    for (int i = 0; i < 2000; ++i) {
        watch.Start();
        if (!link.Client()->ShowMessage())
            return false;
        samples.push_back(watch.Milliseconds());
    }
    Report("pipe command round trip (2 processes)", samples);
    link.Stop();
    return true;
}

bool BenchEventFanOut(int windows)
{
    const std::string suffix = UniqueSuffix();
    const std::string registerName = "kvbench-register-" + suffix, announceName = "kvbench-announce-" + suffix;
    CEventServerWnd server;
    if (!server.Create(registerName, announceName))
        return false;
    std::string arguments;
    arguments.append(registerName).append(" ").append(announceName).append(" nul windows=").append(std::to_string(windows));
    ChildProcess clients("LockCoreEventClient.exe", arguments);
    const DWORD start = GetTickCount();
    MSG msg;
    while (server.ClientCount() < static_cast<size_t>(windows) && GetTickCount() - start < 10000) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(1);
    }
    if (server.ClientCount() != static_cast<size_t>(windows))
        return false;
    const auto record = BuildEventMessage(EVENT_LOCK);
    Stopwatch watch;
    std::vector<double> samples;
    for (int i = 0; i < 200; ++i) {
        watch.Start();
        server.Broadcast(record.data(), static_cast<uint32_t>(record.size()));
        samples.push_back(watch.Milliseconds());
    }
    char what[64];
    std::snprintf(what, sizeof what, "event record to %d client window%s", windows, windows == 1 ? "" : "s");
    Report(what, samples);
    return true;
}

} // namespace

int main()
{
    bool ok = BenchCommandRoundTrip();
    for (const int windows : {1, 10, 50})
        ok = BenchEventFanOut(windows) && ok;
    return ok ? 0 : 1;
}
