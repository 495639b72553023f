// Latency of the Windows 8 road under Wine, with the simulated-USB Brontal told it runs
// on Windows 10: from a pull of the key to the lock-screen program's display covering the
// primary monitor with its picture, with the program already running (Brontal starts it
// when it starts) and with the program gone at the pull (killed just before: Brontal's
// check starts a new one within a second, then replays the lock), from a kill of the
// lock-screen program to its replacement covering again, and the command pipe's round
// trip with the real program (this process then plays the resident program's side).
// Usage: LockScreenBenchmark <resident program> [cycles] [replacements] [round trips]
//        [pulls with a start]
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "lockcore/PipeProtocol.h"
#include "lockcore/ScreenCommandClient.h"
#include "lockcore/ScreenEventServer.h"
#include "lockcore/ServerThread.h"
#include "tests/resident/support/LockScreenProgram.h"
#include "tests/resident/support/Samples.h"
#include "tests/resident/support/SingleKeySession.h"
#include "tests/support/BenchmarkProgress.h"

namespace {

const SSimulatedKey kKey{"key", CKeyDevice(0x0951, 0x1666, "KV-BENCH-0002")};
constexpr COLORREF kPictureColour = RGB(30, 120, 200);
constexpr DWORD kWait = 10000;

std::string TempPath(const std::string& name)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

RECT PrimaryArea()
{
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// Milliseconds from `start` until `done` holds (polled every millisecond); negative when
// it did not within the wait.
template <typename Done>
double TimeUntil(std::int64_t start, Done done)
{
    const DWORD begin = GetTickCount();
    while (!done()) {
        if (GetTickCount() - begin > kWait)
            return -1;
        Sleep(1);
    }
    return ElapsedMs(start, PerformanceNow());
}

void Kill(DWORD processId)
{
    const HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
    if (!process)
        return;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

// Wine keeps the display's thread a while in taking the window off the X display: the
// next pull starts once the thread answers again.
void SettleDisplay(DWORD lockScreen)
{
    SendMessageTimeoutA(FindLockScreenWindow(lockScreen), WM_NULL, 0, 0, SMTO_NORMAL, kWait, nullptr);
}

bool MeasureDisplay(CSingleKeySession& session, DWORD& lockScreen, int cycles, int replacements)
{
    const RECT area = PrimaryArea();
    std::vector<double> pulls, replaced;
    CBenchmarkProgress pullProgress("pulls and insertions", cycles);
    for (int i = 0; i < cycles; ++i) {
        const std::int64_t start = PerformanceNow();
        session.Pull();
        const double covered = TimeUntil(start, [&] { return IsLockScreenCovering(lockScreen, area, kPictureColour); });
        session.Insert();
        if (covered < 0 || !WaitFor([&] { return IsLockScreenHidden(lockScreen); })) {
            std::fprintf(stderr, "cycle %d: the display did not cover or uncover\n", i + 1);
            return false;
        }
        pulls.push_back(covered);
        SettleDisplay(lockScreen);
        pullProgress.Done(i + 1);
    }
    session.Pull();
    CBenchmarkProgress replacementProgress("kills of Marrowpane", replacements);
    for (int i = 0; i < replacements; ++i) {
        if (!WaitFor([&] { return IsLockScreenCovering(lockScreen, area, kPictureColour); })) {
            std::fprintf(stderr, "replacement %d: the display is not up\n", i + 1);
            return false;
        }
        const DWORD old = lockScreen;
        const std::int64_t start = PerformanceNow();
        Kill(old);
        const double covered = TimeUntil(start, [&] {
            lockScreen = FindLockScreenProcess(old);
            return lockScreen && IsLockScreenCovering(lockScreen, area, kPictureColour);
        });
        if (covered < 0) {
            std::fprintf(stderr, "replacement %d: no new display\n", i + 1);
            return false;
        }
        replaced.push_back(covered);
        replacementProgress.Done(i + 1);
    }
    session.Insert();
    Report("pull to display covering", pulls);
    Report("kill to replacement covering", replaced);
    return WaitFor([&] { return IsLockScreenHidden(lockScreen); });
}

// The program killed while unlocked, the key pulled at once: the pull to the new program's
// display covering, and the part of it from the new process to its display covering.
bool MeasurePullWithStart(CSingleKeySession& session, DWORD& lockScreen, int count)
{
    const RECT area = PrimaryArea();
    std::vector<double> pulls, starts;
    CBenchmarkProgress progress("pulls with Marrowpane killed just before", count);
    for (int i = 0; i < count; ++i) {
        const DWORD old = lockScreen;
        Kill(old);
        const std::int64_t start = PerformanceNow();
        session.Pull();
        std::int64_t seen = 0;
        const double covered = TimeUntil(start, [&] {
            lockScreen = FindLockScreenProcess(old);
            if (lockScreen && !seen)
                seen = PerformanceNow();
            return lockScreen && IsLockScreenCovering(lockScreen, area, kPictureColour);
        });
        if (covered < 0) {
            std::fprintf(stderr, "pull with a start %d: no new display\n", i + 1);
            return false;
        }
        pulls.push_back(covered);
        starts.push_back(covered - ElapsedMs(start, seen));
        session.Insert();
        if (!WaitFor([&] { return IsLockScreenHidden(lockScreen); })) {
            std::fprintf(stderr, "pull with a start %d: the display did not uncover\n", i + 1);
            return false;
        }
        SettleDisplay(lockScreen);
        progress.Done(i + 1);
    }
    Report("pull to covering, with a start", pulls);
    Report("  of it: new process to cover", starts);
    return true;
}

bool MeasureRoundTrip(const std::string& lockScreenPath, int count)
{
    const std::string id = InstanceIdOf(GetCurrentProcessId());
    CScreenEventServer server(id, nullptr);
    const auto thread = CServerThread::Start(server);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string line = "\"" + lockScreenPath + "\" /id " + id;
    if (!thread || !CreateProcessA(lockScreenPath.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &startup, &info))
        return false;
    CloseHandle(info.hThread);
    CScreenCommandClient client(id);
    std::vector<double> trips;
    if (client.Connect(15000)) {
        CBenchmarkProgress progress("command round trips", count);
        for (int i = 0; i < count; ++i) {
            const std::int64_t start = PerformanceNow();
            if (!client.ShowControls())
                break;
            trips.push_back(ElapsedMs(start, PerformanceNow()));
            progress.Done(i + 1);
        }
    }
    TerminateProcess(info.hProcess, 1);
    WaitForSingleObject(info.hProcess, 5000);
    CloseHandle(info.hProcess);
    Report("command round trip", trips);
    return trips.size() == static_cast<size_t>(count);
}

} // namespace

int main(int argc, char** argv)
{
    int cycles = 30, replacements = 10, trips = 2000, pullsWithStart = 20;
    if (!ReadCounts(argc, argv, 2, {&cycles, &replacements, &trips, &pullsWithStart},
                    "LockScreenBenchmark <resident program> [cycles] [replacements]\n"
                    "       [round trips] [pulls with a start]"))
        return 2;
    const std::string brontal = argv[1];
    const std::string lockScreenPath = brontal.substr(0, brontal.find_last_of('\\') + 1) + "Marrowpane.exe";

    const CWineProgramVersion residentVersion("Brontal.exe", "win10");
    const CWineProgramVersion lockScreenVersion("Marrowpane.exe", "win10");
    const std::string picture = TempPath("kv-bench-lockscreen-" + std::to_string(GetCurrentProcessId()) + ".bmp");
    WriteSolidBitmap(picture, kPictureColour);
    bool ok = false;
    {
        CSingleKeySession session(kKey, "kv-bench-lockscreen-usb-" + std::to_string(GetCurrentProcessId()) + ".txt");
        session.SetLockPicture(picture);
        DWORD lockScreen = 0;
        if (session.Start(brontal.c_str()) &&
            WaitFor([&] { return (lockScreen = FindLockScreenProcess()) != 0 && FindLockScreenWindow(lockScreen); })) {
            Sleep(1000);  // start-up settles
            ok = MeasureDisplay(session, lockScreen, cycles, replacements) &&
                 MeasurePullWithStart(session, lockScreen, pullsWithStart);
        }
        session.Resident().Kill();
        while (const DWORD left = FindLockScreenProcess())
            Kill(left);
    }
    ok = ok && MeasureRoundTrip(lockScreenPath, trips);
    DeleteFileA(picture.c_str());
    return ok ? Finished() : 1;
}
