#include "lockcore/NamedPipeClient.h"
#include "lockcore/NamedPipeServer.h"
#include "lockcore/ServerThread.h"

#include <gtest/gtest.h>

#include <atomic>

#include "tests/lockcore/TestNames.h"

namespace {

// Answers every request with the request itself, or with `replySize` bytes when set.
class EchoServer : public CNamedPipeServer {
public:
    using CNamedPipeServer::CNamedPipeServer;
    size_t replySize = 0;
    std::atomic<int> requests{0};
    std::atomic<int> serveResult{1};

    int Serve() override
    {
        serveResult = CNamedPipeServer::Serve();
        return serveResult;
    }

protected:
    int OnRequest(const std::vector<uint8_t>& request) override
    {
        ++requests;
        if (replySize == 0)
            return Write(request.data(), static_cast<DWORD>(request.size()));
        const std::vector<uint8_t> reply(replySize, 0x5A);
        return Write(reply.data(), static_cast<DWORD>(reply.size()));
    }
};

std::vector<uint8_t> Pattern(size_t size)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + i / 256);
    return bytes;
}

TEST(NamedPipe, MessagesLargerThanTheBufferArriveWhole)
{
    EchoServer server(UniquePipeName(), 1024);
    auto thread = CServerThread::Start(server);
    ASSERT_TRUE(thread);
    CNamedPipeClient client(server.Name(), 1024);
    ASSERT_TRUE(client.Open());  // one try: the pipe exists once Start returns
    for (const size_t size : {1u, 1023u, 1024u, 1025u, 3000u, 20000u}) {
        SCOPED_TRACE(size);
        const auto message = Pattern(size);
        std::vector<uint8_t> reply;
        ASSERT_TRUE(client.Transact(message.data(), static_cast<DWORD>(size), reply));
        EXPECT_EQ(message, reply);
    }
    thread->Stop();
    EXPECT_EQ(0, server.serveResult);
}

TEST(NamedPipe, StartReturnsOnlyOnceThePipeExists)
{
    for (int round = 0; round < 20; ++round) {
        EchoServer server(UniquePipeName(), 1024);
        auto thread = CServerThread::Start(server);
        ASSERT_TRUE(thread);
        CNamedPipeClient client(server.Name(), 1024);
        EXPECT_TRUE(client.Open()) << "round " << round;
    }
}

TEST(NamedPipe, StartFailsWhenThePipeCannotBeCreated)
{
    EchoServer first(UniquePipeName(), 1024);
    auto running = CServerThread::Start(first);
    ASSERT_TRUE(running);
    EchoServer second(first.Name(), 1024);  // one instance only: the name is taken
    const DWORD start = GetTickCount();
    EXPECT_FALSE(CServerThread::Start(second));
    EXPECT_LT(GetTickCount() - start, 2000u);
    EXPECT_EQ(-1, second.serveResult);
}

TEST(NamedPipe, StopEndsEveryWaitOfTheServer)
{
    enum Where { kConnect, kRead, kWrite };
    for (const Where where : {kConnect, kRead, kWrite}) {
        SCOPED_TRACE(where);
        EchoServer server(UniquePipeName(), 1024);
        server.replySize = 256 * 1024;  // more than the client will ever read
        auto thread = CServerThread::Start(server);
        ASSERT_TRUE(thread);
        CNamedPipeClient client(server.Name(), 1024);
        if (where != kConnect) {
            ASSERT_TRUE(client.Open());
        }
        if (where == kWrite) {
            const uint8_t request = 1;
            ASSERT_TRUE(client.Write(&request, 1));
            while (server.requests == 0)
                Sleep(5);
            Sleep(50);  // the reply's write is pending now
        }
        const DWORD start = GetTickCount();
        thread->Stop();
        EXPECT_LT(GetTickCount() - start, 2000u);
        EXPECT_EQ(0, server.serveResult);
    }
}

TEST(NamedPipe, ServesTheNextClientAfterOneGoes)
{
    EchoServer server(UniquePipeName(), 1024);
    auto thread = CServerThread::Start(server);
    ASSERT_TRUE(thread);
    for (int client = 0; client < 3; ++client) {
        CNamedPipeClient pipe(server.Name(), 1024);
        ASSERT_TRUE(pipe.OpenWithTimeout(5000));
        const uint8_t byte = static_cast<uint8_t>(client);
        std::vector<uint8_t> reply;
        ASSERT_TRUE(pipe.Transact(&byte, 1, reply));
        EXPECT_EQ(std::vector<uint8_t>{byte}, reply);
    }
}

TEST(NamedPipe, ClientTransactionFailsWhenTheServerGoes)
{
    EchoServer server(UniquePipeName(), 1024);
    auto thread = CServerThread::Start(server);
    ASSERT_TRUE(thread);
    CNamedPipeClient client(server.Name(), 1024);
    ASSERT_TRUE(client.Open());
    thread->Stop();
    std::vector<uint8_t> reply{1};
    const uint8_t byte = 1;
    EXPECT_FALSE(client.Transact(&byte, 1, reply));
    EXPECT_TRUE(reply.empty());
}

// A server end that exposes its steps, to connect a client before ConnectNamedPipe.
class SteppedServer : public CNamedPipeServer {
public:
    using CNamedPipeServer::CNamedPipeServer;
    using CNamedPipeServer::Connect;
    using CNamedPipeServer::Create;
};

TEST(NamedPipe, ClientThatCameBeforeConnectIsServed)
{
    SteppedServer server(UniquePipeName(), 1024);
    ASSERT_TRUE(server.Create(nullptr));
    CNamedPipeClient client(server.Name(), 1024);
    ASSERT_TRUE(client.Open());
    EXPECT_TRUE(server.Connect());
    const uint8_t byte = 9;
    ASSERT_TRUE(client.Write(&byte, 1));
    std::vector<uint8_t> request;
    ASSERT_TRUE(server.Read(request));
    EXPECT_EQ(std::vector<uint8_t>{9}, request);
}

TEST(NamedPipe, CloseOfAClosedEndReturnsFalse)
{
    SteppedServer server(UniquePipeName(), 1024);
    EXPECT_FALSE(server.Close());
    ASSERT_TRUE(server.Create(nullptr));
    EXPECT_TRUE(server.Close());
    EXPECT_FALSE(server.IsOpen());
    EXPECT_FALSE(server.Close());
}

// A client end whose second chunk read fails, as a broken pipe does mid-message.
class BreakingClient : public CNamedPipeClient {
public:
    using CNamedPipeClient::CNamedPipeClient;
    int chunks = 0;

protected:
    BOOL ReadChunk(uint8_t* buffer, DWORD size, DWORD& read) override
    {
        if (++chunks == 2)
            return FALSE;
        return CNamedPipeClient::ReadChunk(buffer, size, read);
    }
};

TEST(NamedPipe, MessageCutOffAfterAChunkIsNotHandedOn)
{
    EchoServer server(UniquePipeName(), 1024);
    server.replySize = 3000;
    auto thread = CServerThread::Start(server);
    ASSERT_TRUE(thread);
    BreakingClient client(server.Name(), 1024);
    ASSERT_TRUE(client.Open());
    const uint8_t byte = 1;
    std::vector<uint8_t> reply;
    EXPECT_FALSE(client.Transact(&byte, 1, reply));
    EXPECT_EQ(2, client.chunks);
    EXPECT_TRUE(reply.empty());
}

TEST(NamedPipe, OpenWithTimeoutGivesUpAfterTheTimeout)
{
    CNamedPipeClient client(UniquePipeName(), 1024);
    const DWORD start = GetTickCount();
    EXPECT_FALSE(client.OpenWithTimeout(200));
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 190u);
    EXPECT_LT(elapsed, 2000u);
}

} // namespace
