#pragma once
// A server of the lock-screen protocol: it owns its presence mutex while it serves, so
// the peer can tell it is alive, and answers each request with one reply.
#include "lockcore/NamedPipeServer.h"

class CProtocolPipeServer : public CNamedPipeServer {
public:
    CProtocolPipeServer(const std::string& pipeName, const std::string& mutexName);
    ~CProtocolPipeServer() override;

    // Takes the presence mutex, serves, releases it.
    int Serve() override;

protected:
    // The reply to one request.
    virtual std::vector<uint8_t> Dispatch(const std::vector<uint8_t>& request) = 0;
    int OnRequest(const std::vector<uint8_t>& request) override;
    // PIPE_STATUS_BAD_REQUEST.
    int OnOversizedRequest() override;

private:
    // Waits for the mutex (an earlier owner may still be ending); false on a stop.
    bool TakeServerMutex();
    void ReleaseServerMutex();
    void Reply(const std::vector<uint8_t>& reply);

    std::string m_mutexName;
    fw::unique_handle m_mutex;
};
