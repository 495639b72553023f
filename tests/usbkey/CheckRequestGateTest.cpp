// Coalescing of re-check requests: every request is followed by a rebuild that starts
// after it, and requests during a rebuild cost exactly one more.
#include "usbkey/CheckRequestGate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <thread>
#include <vector>

namespace usbkey {
namespace {

// A worker with a posted-message queue, like the re-check thread's.
class GateWorker {
public:
    GateWorker()
        : m_thread([this] { Loop(); })
    {
    }
    ~GateWorker()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_quit = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

    void Request()
    {
        if (m_gate.RequestOrFold()) {
            const std::lock_guard lock(m_mutex);
            ++m_posted;
            m_wake.notify_all();
        }
    }

    std::atomic<long> tickets{0};          // taken by a requester before it asks
    std::atomic<long> lastStartSeen{-1};   // tickets issued when the latest rebuild started
    std::atomic<int> rebuilds{0};
    std::atomic<bool> slow{false};
    CCheckRequestGate& Gate() { return m_gate; }

private:
    void Loop()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_quit || m_posted > 0; });
            if (m_quit)
                return;
            --m_posted;
            lock.unlock();
            m_gate.RunRebuilds([this] {
                lastStartSeen = tickets.load();
                ++rebuilds;
                if (slow)
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
            });
            lock.lock();
        }
    }

    CCheckRequestGate m_gate;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    int m_posted = 0;
    bool m_quit = false;
    std::thread m_thread;
};

bool WaitFor(const std::function<bool()>& condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

TEST(CheckRequestGate, EveryRequestIsFollowedByARebuildThatStartsAfterIt)
{
    GateWorker worker;
    for (int round = 0; round < 300; ++round) {
        std::vector<std::thread> requesters;
        for (int t = 0; t < 4; ++t)
            requesters.emplace_back([&] {
                for (int i = 0; i < 5; ++i) {
                    ++worker.tickets;
                    worker.Request();
                }
            });
        for (std::thread& t : requesters)
            t.join();
        const long issued = worker.tickets.load();
        ASSERT_TRUE(WaitFor([&] { return worker.lastStartSeen.load() >= issued; }))
            << "round " << round << ": a request was never followed by a rebuild";
    }
}

TEST(CheckRequestGate, RequestsDuringARebuildCostOneMore)
{
    GateWorker worker;
    worker.slow = true;
    worker.Request();
    ASSERT_TRUE(WaitFor([&] { return worker.rebuilds.load() == 1; }));
    for (int i = 0; i < 10; ++i)
        worker.Request();
    ASSERT_TRUE(WaitFor([&] { return worker.rebuilds.load() == 2 && !worker.Gate().IsBusy(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(2, worker.rebuilds.load());
}

} // namespace
} // namespace usbkey
