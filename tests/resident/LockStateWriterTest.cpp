// The lock state's writer over a store that stands in for the settings file: busy (it
// throws, as a held file or a held lock makes the save throw) until the test frees it.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <vector>

#include "resident/LockStateWriter.h"

namespace {

class FakeStore {
public:
    std::atomic<bool> busy{false};
    std::atomic<DWORD> waitWhileBusy{0};  // what a waiting attempt spends before it looks again
    std::atomic<bool> finishesAtOnce{true};  // false: as after a half-done swap

    CLockStateWriter::Store Store()
    {
        return [this](int lock, bool wait) {
            ++m_attempts;
            if (busy && wait)
                Sleep(waitWhileBusy);
            if (busy)
                throw std::runtime_error("busy");
            if (!wait && !finishesAtOnce)
                return false;
            const std::lock_guard<std::mutex> guard(m_mutex);
            m_landed.push_back(lock);
            return true;
        };
    }
    std::vector<int> Landed() const
    {
        const std::lock_guard<std::mutex> guard(m_mutex);
        return m_landed;
    }
    int Attempts() const { return m_attempts; }

private:
    mutable std::mutex m_mutex;
    std::vector<int> m_landed;
    std::atomic<int> m_attempts{0};
};

bool WaitFor(const std::function<bool()>& done, DWORD timeout = 10000)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeout)
            return false;
        Sleep(10);
    }
    return true;
}

TEST(LockStateWriter, AFreeFileHoldsTheStateOnReturn)
{
    FakeStore store;
    CLockStateWriter writer(store.Store());
    writer.Write(1);
    EXPECT_EQ(std::vector<int>{1}, store.Landed());
    EXPECT_FALSE(writer.Unwritten());
    writer.Write(0);
    EXPECT_EQ((std::vector<int>{1, 0}), store.Landed());
}

// While the file is busy no caller waits; each state is tried again until it lands, and
// of the states asked for meanwhile the newest is the one the file ends with.
TEST(LockStateWriter, ABusyFileGetsTheNewestStateOnceFreeWithoutHoldingUpTheCaller)
{
    FakeStore store;
    store.busy = true;
    store.waitWhileBusy = 300;
    CLockStateWriter writer(store.Store(), 20);
    const DWORD start = GetTickCount();
    for (const int lock : {1, 0, 1})
        writer.Write(lock);
    EXPECT_LT(GetTickCount() - start, 250u);  // less than one waiting attempt
    EXPECT_EQ(1, writer.Unwritten());
    ASSERT_TRUE(WaitFor([&] { return store.Attempts() >= 4; }));  // tried again, more than once
    EXPECT_TRUE(store.Landed().empty());

    store.busy = false;
    ASSERT_TRUE(WaitFor([&] { return !writer.Unwritten(); }));
    EXPECT_EQ(std::vector<int>{1}, store.Landed());
}

// What the attempt at once could not finish without waiting (a move to be tried again) is
// finished on the writer's thread.
TEST(LockStateWriter, WhatTheAttemptAtOnceCannotFinishTheThreadDoes)
{
    FakeStore store;
    store.finishesAtOnce = false;
    CLockStateWriter writer(store.Store(), 20);
    writer.Write(1);
    ASSERT_TRUE(WaitFor([&] { return !writer.Unwritten(); }));
    EXPECT_EQ(std::vector<int>{1}, store.Landed());
    EXPECT_EQ(2, store.Attempts());
}

// When the session ends, a state still on its way gets its waiting attempt before Finish
// returns, whether the thread waits out its back-off or is in an attempt of its own (which
// ends first, so the states land in order); Finish says whether the file holds the state.
TEST(LockStateWriter, FinishStoresAStateOnItsWayBeforeItReturns)
{
    const struct {
        const char* what;
        DWORD waitWhileBusy;
        std::vector<int> writes;
        bool freed;
        std::vector<int> landed;
    } cases[] = {
        {"the thread waits out its back-off", 0, {1}, true, {1}},
        {"the thread's attempt under way, a newer state behind it", 1000, {1, 0}, true, {1, 0}},
        {"the file still busy", 0, {1}, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeStore store;
        store.busy = true;
        store.waitWhileBusy = c.waitWhileBusy;
        CLockStateWriter writer(store.Store(), 60000);
        writer.Write(c.writes.front());
        ASSERT_TRUE(WaitFor([&] { return store.Attempts() >= 2; }));  // at once, then on the thread
        for (std::size_t i = 1; i < c.writes.size(); ++i)
            writer.Write(c.writes[i]);
        store.busy = !c.freed;
        const DWORD start = GetTickCount();
        EXPECT_EQ(c.freed, writer.Finish());
        EXPECT_LT(GetTickCount() - start, 5000u);
        EXPECT_EQ(c.landed, store.Landed());
        EXPECT_EQ(c.freed ? std::nullopt : std::optional<int>(c.writes.back()), writer.Unwritten());
        store.busy = false;
    }
}

// At the program's end a state still unwritten gets one last attempt, without waiting out
// the back-off.
TEST(LockStateWriter, TheEndMakesALastAttempt)
{
    FakeStore store;
    store.busy = true;
    std::unique_ptr<CLockStateWriter> writer = std::make_unique<CLockStateWriter>(store.Store(), 60000);
    writer->Write(1);
    ASSERT_TRUE(WaitFor([&] { return store.Attempts() >= 2; }));  // at once, then on the thread
    store.busy = false;
    const DWORD start = GetTickCount();
    writer.reset();
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_EQ(std::vector<int>{1}, store.Landed());
}

} // namespace
