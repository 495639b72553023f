#pragma once
// The worker thread that runs a pipe server until it is stopped.
#include <memory>

#include "framework/Thread.h"
#include "lockcore/NamedPipeServer.h"

class CServerThread : public fw::CThread {
public:
    // Starts `server` (not owned; it must outlive the thread) and returns once its pipe
    // exists. Null when the thread cannot start, the pipe cannot be created or it is not
    // there within `timeout` ms, so the peer's single attempt to connect cannot come too early.
    static std::unique_ptr<CServerThread> Start(CNamedPipeServer& server, DWORD timeout = 10000);

    explicit CServerThread(CNamedPipeServer& server) : m_server(server) {}
    ~CServerThread() override;

    // Stops the server and waits up to 10000 ms for the thread, handling messages sent to
    // the calling thread meanwhile so a server blocked in SendMessage can finish.
    void Stop();

protected:
    void Run() override;

private:
    CNamedPipeServer& m_server;
};
