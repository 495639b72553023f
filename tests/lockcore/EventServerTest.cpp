#include "lockcore/EventServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "framework/Thread.h"
#include "framework/Window.h"
#include "lockcore/EventMessage.h"
#include "lockcore/EventServerThread.h"
#include "lockcore/EventServerWnd.h"
#include "tests/lockcore/ChildProcess.h"
#include "tests/lockcore/TestLog.h"
#include "tests/lockcore/TestNames.h"

namespace {

// A server under message names of its own, so tests running beside it never cross.
class EventServerTest : public ::testing::Test {
protected:
    const std::string suffix = UniqueSuffix();
    const std::string registerName = "kvtest-register-" + suffix;
    const std::string announceName = "kvtest-announce-" + suffix;
    CEventServer server;

    std::string NewLog()
    {
        const std::string path = TempFilePath("kvtest-events-" + UniqueSuffix() + ".log");
        DeleteFileA(path.c_str());
        m_logs.push_back(path);
        return path;
    }
    ~EventServerTest() override
    {
        for (const auto& path : m_logs)
            DeleteFileA(path.c_str());
    }

    // Starts a client and waits until it has registered.
    ChildProcess StartClient(const std::string& log, const std::string& mode = "")
    {
        std::string arguments;
        arguments.append(registerName).append(" ").append(announceName).append(" ").append(log);
        if (!mode.empty())
            arguments.append(" ").append(mode);
        ChildProcess client("LockCoreEventClient.exe", arguments);
        EXPECT_TRUE(client);
        WaitForLines(log, [](const auto& lines) { return HasLine(lines, "ready"); });
        return client;
    }

    bool Publish(int32_t code)
    {
        const auto record = BuildEventMessage(code);
        return server.PostEvent(record.data(), static_cast<uint32_t>(record.size()));
    }

    static std::vector<std::string> Events(const std::vector<std::string>& lines)
    {
        std::vector<std::string> events;
        for (const auto& line : lines) {
            if (line.rfind("event", 0) == 0 || line.rfind("bad", 0) == 0)
                events.push_back(line);
        }
        return events;
    }

    static std::vector<std::string> WaitForEvents(const std::string& log, size_t count, DWORD timeout = 10000)
    {
        return Events(WaitForLines(log, [&](const auto& lines) { return Events(lines).size() >= count; }, timeout));
    }

private:
    std::vector<std::string> m_logs;
};

using Lines = std::vector<std::string>;

TEST_F(EventServerTest, ClientsInOtherProcessesGetEveryRecordInOrder)
{
    ASSERT_TRUE(server.Start(registerName, announceName));
    const std::string logA = NewLog(), logB = NewLog();
    auto a = StartClient(logA);
    auto b = StartClient(logB, "twice");  // a second registration changes nothing
    for (const int32_t code : {EVENT_LOCK, EVENT_UNLOCK, EVENT_CHANGE_SETTING, EVENT_ALARM, EVENT_LOCK})
        ASSERT_TRUE(Publish(code));
    const Lines expected = {"event 1", "event 2", "event 3", "event 4", "event 1"};
    EXPECT_EQ(expected, WaitForEvents(logA, 5));
    EXPECT_EQ(expected, WaitForEvents(logB, 5));
    Sleep(200);
    EXPECT_EQ(expected, Events(ReadLines(logB)));  // nothing doubled
}

TEST_F(EventServerTest, RecordsArriveAsSentWhateverTheirSize)
{
    ASSERT_TRUE(server.Start(registerName, announceName));
    const std::string log = NewLog();
    auto client = StartClient(log);
    const uint8_t odd[3] = {1, 2, 3};
    ASSERT_TRUE(server.PostEvent(odd, 3));
    ASSERT_TRUE(server.PostEvent(nullptr, 0));
    ASSERT_TRUE(Publish(EVENT_ALARM));
    EXPECT_EQ((Lines{"bad 3 0", "bad 0 0", "event 4"}), WaitForEvents(log, 3));
}

// Any program may post thread messages to the server's thread: a stray WM_APP + 1 with any
// value carries no event, and a quit does not end the thread; the next real event still
// reaches the clients, alone.
TEST_F(EventServerTest, ForgedThreadMessagesCarryNoEventAndEndNothing)
{
    CEventServerThread thread(registerName, announceName);
    ASSERT_TRUE(thread.Start());
    const std::string log = NewLog();
    auto client = StartClient(log);
    for (const WPARAM stray : {WPARAM{0x12345678}, WPARAM{1}, ~WPARAM{0}, WPARAM{0}})
        ASSERT_TRUE(PostThreadMessageA(thread.ThreadId(), WM_APP + 1, stray, 42));
    ASSERT_TRUE(PostThreadMessageA(thread.ThreadId(), WM_QUIT, 0, 0));
    const auto record = BuildEventMessage(EVENT_ALARM);
    ASSERT_TRUE(thread.PostEvent(record.data(), static_cast<uint32_t>(record.size())));
    EXPECT_EQ((Lines{"event 4"}), WaitForEvents(log, 1));
    Sleep(200);
    EXPECT_EQ((Lines{"event 4"}), Events(ReadLines(log)));
    EXPECT_TRUE(thread.IsRunning());
}

// A server thread whose first wake-ups cannot be posted, as when other programs have filled
// its queue (Windows takes 10000 messages a queue; Wine has no limit).
class FullQueueThread : public CEventServerThread {
public:
    FullQueueThread(const std::string& registerName, const std::string& announceName, int failures)
        : CEventServerThread(registerName, announceName), m_failures(failures)
    {
    }
    ~FullQueueThread() override { Stop(); }

protected:
    bool WakeUp() override { return m_failures-- > 0 ? false : CEventServerThread::WakeUp(); }

private:
    int m_failures;
};

// An event whose wake-up failed stays queued: the next wake-up delivers it, in order.
TEST_F(EventServerTest, EventsWhoseWakeUpFailedGoWithTheNext)
{
    FullQueueThread thread(registerName, announceName, 2);
    ASSERT_TRUE(thread.Start());
    const std::string log = NewLog();
    auto client = StartClient(log);
    for (const int32_t code : {EVENT_LOCK, EVENT_UNLOCK, EVENT_ALARM}) {
        const auto record = BuildEventMessage(code);
        EXPECT_EQ(code == EVENT_ALARM, thread.PostEvent(record.data(), static_cast<uint32_t>(record.size())));
    }
    EXPECT_EQ((Lines{"event 1", "event 2", "event 4"}), WaitForEvents(log, 3));
}

TEST_F(EventServerTest, ClientRunningBeforeTheServerRegistersOnTheAnnounce)
{
    const std::string log = NewLog();
    auto client = StartClient(log);
    ASSERT_TRUE(server.Start(registerName, announceName));
    ASSERT_TRUE(HasLine(WaitForLines(log, [](const auto& l) { return HasLine(l, "announce"); }), "announce"));
    ASSERT_TRUE(Publish(EVENT_LOCK));
    EXPECT_EQ(Lines{"event 1"}, WaitForEvents(log, 1));
}

TEST_F(EventServerTest, EventBeforeAnyClientIsNotKept)
{
    ASSERT_TRUE(server.Start(registerName, announceName));
    ASSERT_TRUE(Publish(EVENT_LOCK));
    Sleep(100);
    const std::string log = NewLog();
    auto client = StartClient(log);
    ASSERT_TRUE(Publish(EVENT_UNLOCK));
    EXPECT_EQ(Lines{"event 2"}, WaitForEvents(log, 1));
}

TEST_F(EventServerTest, ClientThatWentIsDroppedAndTheOthersKeepTheirOrder)
{
    ASSERT_TRUE(server.Start(registerName, announceName));
    const std::string logA = NewLog(), logB = NewLog(), logC = NewLog();
    auto a = StartClient(logA);
    auto b = StartClient(logB);
    auto c = StartClient(logC);
    b.Kill();
    const DWORD start = GetTickCount();
    ASSERT_TRUE(Publish(EVENT_LOCK));
    ASSERT_TRUE(Publish(EVENT_UNLOCK));
    EXPECT_EQ((Lines{"event 1", "event 2"}), WaitForEvents(logC, 2));
    EXPECT_LT(GetTickCount() - start, 1500u);
    EXPECT_EQ((Lines{"event 1", "event 2"}), WaitForEvents(logA, 2));
}

TEST_F(EventServerTest, HungClientDelaysTheOthersByAtMostTheSendTimeout)
{
    ASSERT_TRUE(server.Start(registerName, announceName));
    const std::string hungLog = NewLog(), log = NewLog();
    auto hung = StartClient(hungLog, "hang=8000");
    auto client = StartClient(log);
    const DWORD start = GetTickCount();
    ASSERT_TRUE(Publish(EVENT_ALARM));
    EXPECT_EQ(Lines{"event 4"}, WaitForEvents(log, 1));
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 1500u);
    EXPECT_LT(elapsed, 3000u);
}

TEST_F(EventServerTest, EventPostedRightAfterStartIsTaken)
{
    const std::string log = NewLog();
    auto client = StartClient(log);  // registers again on each announce
    for (int round = 0; round < 10; ++round) {
        ASSERT_TRUE(server.Start(registerName, announceName));
        EXPECT_TRUE(Publish(EVENT_LOCK)) << round;
        server.Stop();
    }
}

TEST_F(EventServerTest, RestartedServerAnnouncesItselfAgain)
{
    const std::string log = NewLog();
    auto client = StartClient(log);
    auto announces = [](const Lines& lines) { return std::count(lines.begin(), lines.end(), "announce"); };
    ASSERT_TRUE(server.Start(registerName, announceName));
    EXPECT_TRUE(server.Start(registerName, announceName));  // already running: nothing new
    EXPECT_EQ(1, announces(WaitForLines(log, [&](const Lines& l) { return announces(l) >= 1; })));
    server.Stop();
    EXPECT_FALSE(Publish(EVENT_LOCK));
    ASSERT_TRUE(server.Start(registerName, announceName));
    EXPECT_EQ(2, announces(WaitForLines(log, [&](const Lines& l) { return announces(l) >= 2; })));
    ASSERT_TRUE(Publish(EVENT_UNLOCK));
    EXPECT_EQ(Lines{"event 2"}, WaitForEvents(log, 1));
}

// A client window on a thread of its own that registers again with the server each time a
// record reaches it, while the server still waits in its send.
class ReregisteringClient : public fw::CThread {
public:
    ReregisteringClient(HWND server, UINT registerMessage) : m_server(server), m_register(registerMessage) {}
    ~ReregisteringClient() override { Stop(); }

    HWND Window() const { return m_window ? m_window->GetHwnd() : nullptr; }
    std::atomic<int> records{0};

protected:
    bool InitInstance() override
    {
        m_window = std::make_unique<ClientWindow>(*this);
        return m_window->Create("KvTestReregisteringClient", "", 0);
    }
    void ExitInstance() override { m_window.reset(); }

private:
    class ClientWindow : public fw::CWindow {
    public:
        explicit ClientWindow(ReregisteringClient& owner) : m_owner(owner) {}

    protected:
        LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
        {
            if (message != WM_COPYDATA)
                return DefaultProc(message, wParam, lParam);
            ++m_owner.records;
            SendMessageA(m_owner.m_server, m_owner.m_register, reinterpret_cast<WPARAM>(GetHwnd()), 0);
            return TRUE;
        }

    private:
        ReregisteringClient& m_owner;
    };

    HWND m_server;
    UINT m_register;
    std::unique_ptr<ClientWindow> m_window;
};

TEST(EventServerWnd, ClientRegisteringDuringABroadcastIsListedOnce)
{
    const std::string suffix = UniqueSuffix();
    CEventServerWnd server;
    ASSERT_TRUE(server.Create("kvtest-register-" + suffix, "kvtest-announce-" + suffix));
    ReregisteringClient client(server.GetHwnd(), server.RegisterMessage());
    ASSERT_TRUE(client.Start());
    SendMessageA(server.GetHwnd(), server.RegisterMessage(), reinterpret_cast<WPARAM>(client.Window()), 0);
    ASSERT_EQ(1u, server.ClientCount());

    const auto record = BuildEventMessage(EVENT_LOCK);
    for (int round = 1; round <= 3; ++round) {
        server.Broadcast(record.data(), static_cast<uint32_t>(record.size()));
        EXPECT_EQ(1u, server.ClientCount()) << round;
        EXPECT_EQ(round, client.records.load()) << round;
    }
}

} // namespace
