#include "framework/Thread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

constexpr UINT kPing = WM_APP + 1;

class CountingThread : public fw::CThread {
public:
    ~CountingThread() override { Stop(); }
    std::atomic<int> pings{0};
    std::atomic<bool> exited{false};

protected:
    void OnThreadMessage(UINT message, WPARAM, LPARAM) override
    {
        if (message == kPing)
            ++pings;
    }
    void ExitInstance() override { exited = true; }
};

TEST(Thread, MessagePostedRightAfterStartArrives)
{
    for (int round = 0; round < 20; ++round) {
        CountingThread thread;
        ASSERT_TRUE(thread.Start());
        EXPECT_TRUE(thread.PostThreadMessage(kPing));
        thread.Stop();
        EXPECT_EQ(1, thread.pings);
        EXPECT_TRUE(thread.exited);
        EXPECT_FALSE(thread.IsRunning());
    }
}

// Any program may post WM_QUIT to a thread of this one: only Stop ends the worker.
TEST(Thread, AQuitFromAnyoneElseEndsNoWorker)
{
    CountingThread thread;
    ASSERT_TRUE(thread.Start());
    ASSERT_TRUE(PostThreadMessageA(thread.ThreadId(), WM_QUIT, 0, 0));
    EXPECT_TRUE(thread.PostThreadMessage(kPing));
    for (int wait = 0; wait < 500 && thread.pings == 0; ++wait)
        Sleep(10);
    EXPECT_EQ(1, thread.pings);
    EXPECT_TRUE(thread.IsRunning());
    thread.Stop(5000);
    EXPECT_TRUE(thread.exited);  // ended by its loop, not terminated
}

class FailingStart : public fw::CThread {
protected:
    bool InitInstance() override { return false; }
};

TEST(Thread, FailedInitInstanceFailsStart)
{
    FailingStart thread;
    EXPECT_FALSE(thread.Start());
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_FALSE(thread.PostThreadMessage(kPing));
}

// A worker that sends to the stopping thread's window must be able to finish.
class SendingThread : public fw::CThread {
public:
    explicit SendingThread(HWND target) : m_target(target) {}
    ~SendingThread() override { Stop(); }
    std::atomic<bool> answered{false};

protected:
    void Run() override
    {
        Sleep(50);  // the owner is already waiting in Stop
        answered = SendMessageA(m_target, WM_NULL, 0, 0) == 0;
    }

private:
    HWND m_target;
};

TEST(Thread, StopHandlesMessagesSentByTheWorker)
{
    fw::unique_hwnd window(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                           nullptr, nullptr));
    ASSERT_TRUE(window);
    SendingThread thread(window.get());
    ASSERT_TRUE(thread.Start());
    const DWORD start = GetTickCount();
    thread.Stop(5000);
    EXPECT_TRUE(thread.answered);
    EXPECT_LT(GetTickCount() - start, 4000u);
}

class StubbornThread : public fw::CThread {
protected:
    void Run() override { Sleep(INFINITE); }
};

TEST(Thread, ThreadIgnoringQuitIsTerminatedAfterTheWait)
{
    StubbornThread thread;
    ASSERT_TRUE(thread.Start());
    const HANDLE handle = thread.ThreadHandle();
    HANDLE copy = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    fw::unique_handle owned(copy);
    thread.Stop(200);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(owned.get(), &code));
    EXPECT_EQ(static_cast<DWORD>(-1), code);
}

} // namespace
