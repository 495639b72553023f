// The re-check worker thread: start and stop, requests, coalescing, the window registry.
#include "UsbScenario.h"

#include "usbkey/FilterUsbCheckThread.h"
#include "usbkey/WinUsbPlatform.h"

#include <gmock/gmock.h>

#include <atomic>
#include <thread>

namespace usbkey::test {
namespace {

constexpr UINT kListChanged = WM_APP + 1;
constexpr UINT kOtherMessage = WM_APP + 2;

// A simulated machine that counts runs (each starts by probing "A:\") and can hold a run
// until released.
class CCountingMachine : public CSimUsbMachine {
public:
    bool GetVolumeNameForVolumeMountPointA(const char* mountPoint, char* volumeName, std::uint32_t size) override
    {
        if (std::string(mountPoint) == "A:\\") {
            if (++inRun > 1)
                overlapped = true;
            ++runs;
            lastStartSeen = tickets.load();
            while (hold)
                Sleep(1);
        }
        if (std::string(mountPoint) == "Y:\\")
            --inRun;
        return CSimUsbMachine::GetVolumeNameForVolumeMountPointA(mountPoint, volumeName, size);
    }
    std::atomic<int> runs{0};
    std::atomic<int> inRun{0};
    std::atomic<bool> overlapped{false};
    std::atomic<bool> hold{false};
    std::atomic<long> tickets{0};
    std::atomic<long> lastStartSeen{-1};
};

struct Window {
    fw::unique_hwnd hwnd{CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)};
    // Posted messages of this id that arrived within `ms`.
    int Count(UINT message, DWORD ms = 300)
    {
        int count = 0;
        const DWORD start = GetTickCount();
        do {
            MSG msg;
            while (PeekMessageA(&msg, hwnd.get(), message, message, PM_REMOVE))
                ++count;
            Sleep(5);
        } while (GetTickCount() - start < ms);
        return count;
    }
};

struct Worker {
    explicit Worker(CUsbPlatform& platform) : thread(CFilterUsbCheckThread::Begin(platform)) {}
    ~Worker() { CFilterUsbCheckThread::End(thread); }
    CFilterUsbCheckThread* thread;
};

bool WaitFor(const std::function<bool()>& condition, DWORD ms = 5000)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > ms)
            return false;
        Sleep(1);
    }
    return true;
}

TEST(FilterUsbCheckThread, RequestOrEndRightAfterBeginIsNeverLost)
{
    CCountingMachine machine;
    for (int round = 0; round < 10; ++round) {
        const DWORD start = GetTickCount();
        CFilterUsbCheckThread* thread = CFilterUsbCheckThread::Begin(machine);
        ASSERT_NE(nullptr, thread);
        EXPECT_TRUE(thread->RequestCheck());
        ASSERT_TRUE(WaitFor([&] { return machine.runs.load() == round + 1; }));
        CFilterUsbCheckThread::End(thread);
        EXPECT_LT(GetTickCount() - start, 3000u);
    }
    CFilterUsbCheckThread::End(nullptr);
}

TEST(FilterUsbCheckThread, RebuildReplacesSnapshotAndNotifiesWindows)
{
    CCountingMachine machine;
    LoadScenario(machine, std::string(kOneController) +
                              "device hub=RH0 port=1 driver=K1 vid=0951 pid=1666 serial=SN1\n"
                              "node id=USB\\VID_0951&PID_1666\\SN1 driver=K1 desc=\"USB Mass Storage Device\"\n");
    Worker worker(machine);
    Window window;
    CUsbDeviceList list;
    list.AddTail(CUsbDeviceEntry{});
    worker.thread->GetDeviceList(list);
    EXPECT_TRUE(list.IsEmpty());  // before the first rebuild
    worker.thread->AddNotifyWindow(window.hwnd.get(), kListChanged);
    ASSERT_TRUE(worker.thread->RequestCheck());
    EXPECT_EQ(1, window.Count(kListChanged));
    worker.thread->GetDeviceList(list);
    ASSERT_EQ(1u, list.GetCount());
    EXPECT_EQ("SN1", list.begin()->m_serialNumber);
    EXPECT_EQ("USB Mass Storage Device", list.begin()->m_names.GetText());
    ExpectBalanced(machine);
}

// A quit posted to the worker by another program leaves it taking requests; End still ends it.
TEST(FilterUsbCheckThread, AQuitItDidNotAskForEndsNoWorker)
{
    CCountingMachine machine;
    Worker worker(machine);
    Window window;
    worker.thread->AddNotifyWindow(window.hwnd.get(), kListChanged);
    ASSERT_TRUE(PostThreadMessageA(worker.thread->ThreadId(), WM_QUIT, 0, 0));
    EXPECT_TRUE(worker.thread->RequestCheck());
    EXPECT_EQ(1, window.Count(kListChanged, 1000));
    EXPECT_TRUE(worker.thread->IsRunning());
}

TEST(FilterUsbCheckThread, RequestsDuringARebuildCauseExactlyOneMore)
{
    CCountingMachine machine;
    Worker worker(machine);
    machine.hold = true;
    ASSERT_TRUE(worker.thread->RequestCheck());
    ASSERT_TRUE(WaitFor([&] { return machine.runs.load() == 1; }));
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(worker.thread->RequestCheck());
    machine.hold = false;
    ASSERT_TRUE(WaitFor([&] { return machine.runs.load() == 2; }));
    Sleep(200);
    EXPECT_EQ(2, machine.runs.load());
}

TEST(FilterUsbCheckThread, HammeredRequestsAreEachFollowedByALaterRebuild)
{
    CCountingMachine machine;
    Worker worker(machine);
    for (int round = 0; round < 50; ++round) {
        std::vector<std::thread> requesters;
        for (int t = 0; t < 4; ++t)
            requesters.emplace_back([&] {
                for (int i = 0; i < 5; ++i) {
                    ++machine.tickets;
                    worker.thread->RequestCheck();
                }
            });
        for (std::thread& t : requesters)
            t.join();
        const long issued = machine.tickets.load();
        ASSERT_TRUE(WaitFor([&] { return machine.lastStartSeen.load() >= issued; })) << "round " << round;
    }
}

TEST(FilterUsbCheckThread, RebuildsOnOtherThreadsNeverOverlap)
{
    CCountingMachine machine;
    Worker worker(machine);
    std::thread direct([&] {
        for (int i = 0; i < 20; ++i)
            worker.thread->UpdateDeviceList();
    });
    for (int i = 0; i < 20; ++i) {
        worker.thread->RequestCheck();
        Sleep(1);
    }
    direct.join();
    ASSERT_TRUE(WaitFor([&] { return machine.inRun.load() == 0 && machine.runs.load() >= 21; }));
    EXPECT_FALSE(machine.overlapped);
}

TEST(FilterUsbCheckThread, RegistryKeepsTheFirstMessageAndDropsVanishedWindows)
{
    CCountingMachine machine;
    Worker worker(machine);
    Window window;
    worker.thread->AddNotifyWindow(window.hwnd.get(), kListChanged);
    worker.thread->AddNotifyWindow(window.hwnd.get(), kOtherMessage);
    worker.thread->RequestCheck();
    EXPECT_EQ(1, window.Count(kListChanged));
    EXPECT_EQ(0, window.Count(kOtherMessage, 0));

    worker.thread->RemoveNotifyWindow(window.hwnd.get());
    worker.thread->AddNotifyWindow(window.hwnd.get(), kOtherMessage);
    worker.thread->RequestCheck();
    EXPECT_EQ(1, window.Count(kOtherMessage));
    EXPECT_EQ(0, window.Count(kListChanged, 0));

    Window vanished;
    worker.thread->AddNotifyWindow(vanished.hwnd.get(), kListChanged);
    EXPECT_EQ(2u, worker.thread->NotifyWindowCount());
    vanished.hwnd.reset();
    worker.thread->RequestCheck();
    EXPECT_EQ(1, window.Count(kOtherMessage));
    EXPECT_EQ(1u, worker.thread->NotifyWindowCount());
}

// Wine has no USB: the real platform gives an empty result without error.
TEST(FilterUsbCheckThread, RealPlatformUnderWineFindsNothing)
{
    CWinUsbPlatform platform;
    std::vector<CUsbDevice> devices(1);
    CUsbKeyDeviceEnumerator enumerator(platform, devices);
    enumerator.Enumerate();
    EXPECT_TRUE(devices.empty());
    Worker worker(platform);
    Window window;
    worker.thread->AddNotifyWindow(window.hwnd.get(), kListChanged);
    worker.thread->RequestCheck();
    EXPECT_EQ(1, window.Count(kListChanged));
}

} // namespace
} // namespace usbkey::test
