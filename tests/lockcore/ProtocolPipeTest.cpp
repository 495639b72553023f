#include "lockcore/ProtocolPipeClient.h"
#include "lockcore/ScreenEventServer.h"
#include "lockcore/ServerThread.h"

#include <gtest/gtest.h>

#include "tests/lockcore/Bytes.h"
#include "tests/lockcore/RecordingScreen.h"
#include "tests/lockcore/TestNames.h"

namespace {

class EventClient : public CProtocolPipeClient {
public:
    explicit EventClient(const std::string& id) : CProtocolPipeClient(EventPipeName(id), EventMutexName(id)) {}

    bool Connect() { return WaitServerMutex(5000) && OpenWithTimeout(5000) && Handshake(); }

    std::string Raw(const std::string& hex)
    {
        const auto request = Hex(hex);
        std::vector<uint8_t> reply;
        if (!Transact(request.data(), static_cast<DWORD>(request.size()), reply))
            return "failed";
        return ToHex(reply);
    }
};

// A running event server with a recording listener and one connected client.
class ScreenEventServer : public testing::Test {
protected:
    void SetUp() override
    {
        thread = CServerThread::Start(server);
        ASSERT_TRUE(thread);
        ASSERT_TRUE(client.Connect());
    }

    const std::string id = UniqueSuffix();
    RecordingScreen listener;
    CScreenEventServer server{id, &listener};
    decltype(CServerThread::Start(server)) thread;
    EventClient client{id};
};

TEST_F(ScreenEventServer, MalformedRequestsLeaveTheConnectionUsable)
{
    EXPECT_EQ("02 00 00 00", client.Raw("01 00 00"));
    EXPECT_EQ("01 00 00 00", client.Raw("63 00 00 00"));
    EXPECT_EQ("02 00 00 00", client.Raw("01 00 00 00 00 00 00 00"));
    EXPECT_EQ("02 00 00 00", client.Raw("07 00 00 00 FF FF FF 7F 61"));
    EXPECT_EQ("00 00 00 00", client.Raw("07 00 00 00 02 00 00 00 70 77"));
    listener.queryResult = 1;
    EXPECT_EQ("00 00 00 00 01 00 00 00", client.Raw("04 00 00 00"));
    EXPECT_EQ((std::vector<std::string>{"CheckPassword [pw]", "QueryMayUnlock"}), listener.Calls());
}

TEST_F(ScreenEventServer, LargeTextArrivesWhole)
{
    const std::string text(5000, 'k');
    EXPECT_TRUE(client.Send(EncodeRequest(PIPE_EVT_CHECK_PASSWORD, text)));
    EXPECT_EQ(std::vector<std::string>{"CheckPassword [" + text + "]"}, listener.Calls());
}

// A peer that writes without end must not make the server take all memory: a request
// past the cap is read to its end, answered as bad, and the connection goes on.
TEST_F(ScreenEventServer, OversizedRequestIsDrainedAndAnsweredAsBad)
{
    const std::vector<uint8_t> huge =
        EncodeRequest(PIPE_EVT_CHECK_PASSWORD, std::string(CNamedPipeServer::kMaxRequest, 'k'));
    std::vector<uint8_t> reply;
    ASSERT_TRUE(client.Transact(huge.data(), static_cast<DWORD>(huge.size()), reply));
    EXPECT_EQ("02 00 00 00", ToHex(reply));
    EXPECT_EQ("00 00 00 00", client.Raw("07 00 00 00 02 00 00 00 70 77"));
    EXPECT_EQ(std::vector<std::string>{"CheckPassword [pw]"}, listener.Calls());
}

// Where Windows names a pipe's client, only the launched lock-screen process is served:
// any other local program is disconnected before a request of it is read.
TEST(ScreenEventServerClients, OnlyTheLaunchedProcessIsServed)
{
    ASSERT_TRUE(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetNamedPipeClientProcessId"))
        << "the platform under test names a pipe's client";
    for (const bool launchedIsThis : {false, true}) {
        SCOPED_TRACE(launchedIsThis);
        const std::string id = UniqueSuffix();
        RecordingScreen listener;
        CScreenEventServer server(id, &listener, CScreenEventServer::EClients::Launched);
        auto thread = CServerThread::Start(server);
        ASSERT_TRUE(thread);
        server.ExpectClient(launchedIsThis ? GetCurrentProcessId() : GetCurrentProcessId() + 4);
        EventClient client(id);
        EXPECT_EQ(launchedIsThis, client.Connect());
        EXPECT_EQ(launchedIsThis ? "00 00 00 00" : "failed", client.Raw("06 00 00 00 01 00 00 00 01 00 00 00 00 00 00 00"));
        EXPECT_EQ(launchedIsThis ? 1u : 0u, listener.Calls().size());
    }
}

// A server whose hello carries four bytes too many.
class LongHelloServer : public CProtocolPipeServer {
public:
    explicit LongHelloServer(const std::string& id) : CProtocolPipeServer(EventPipeName(id), EventMutexName(id)) {}

protected:
    std::vector<uint8_t> Dispatch(const std::vector<uint8_t>&) override
    {
        return Hex("00 00 00 00 01 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00 00 00 00 00");
    }
};

TEST(ProtocolPipeClient, HelloWithSurplusBytesFailsTheHandshake)
{
    const std::string id = UniqueSuffix();
    LongHelloServer server(id);
    auto thread = CServerThread::Start(server);
    ASSERT_TRUE(thread);
    EventClient client(id);
    EXPECT_FALSE(client.Connect());
}

TEST(ProtocolPipeClient, PresenceFollowsTheServerAndIsGivenBack)
{
    const std::string id = UniqueSuffix();
    EventClient client(id);
    EXPECT_FALSE(client.IsServerAlive());  // no handle yet
    EXPECT_FALSE(client.OpenServerMutex());
    {
        CScreenEventServer server(id, nullptr);
        auto thread = CServerThread::Start(server);
        ASSERT_TRUE(thread);
        ASSERT_TRUE(client.OpenServerMutex());
        EXPECT_TRUE(client.IsServerAlive());
        thread->Stop();
        EXPECT_FALSE(client.IsServerAlive());
        EXPECT_FALSE(client.IsServerAlive());
    }
    // The check took the freed mutex and gave it back, so the next server can own it.
    CScreenEventServer next(id, nullptr);
    const DWORD start = GetTickCount();
    auto thread = CServerThread::Start(next, 3000);
    ASSERT_TRUE(thread);
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_TRUE(client.IsServerAlive());
}

TEST(ProtocolPipeClient, WaitServerMutexGivesUpAfterTheTimeout)
{
    EventClient client(UniqueSuffix());
    const DWORD start = GetTickCount();
    EXPECT_FALSE(client.WaitServerMutex(150));
    EXPECT_GE(GetTickCount() - start, 140u);
}

TEST(ServerThread, StopOfAServerWaitingForItsMutexEndsAtOnce)
{
    const std::string id = UniqueSuffix();
    CScreenEventServer first(id, nullptr);
    auto running = CServerThread::Start(first);
    ASSERT_TRUE(running);
    CScreenEventServer second(id, nullptr);  // waits for the first one's mutex
    const DWORD start = GetTickCount();
    EXPECT_FALSE(CServerThread::Start(second, 300));
    EXPECT_LT(GetTickCount() - start, 2000u);
}

} // namespace
