#pragma once
// A client of the lock-screen protocol: the peer's presence mutex, the hello exchange and
// request-reply transactions. A failed request is never retried.
#include "lockcore/NamedPipeClient.h"
#include "lockcore/PipeProtocol.h"

class CProtocolPipeClient : public CNamedPipeClient {
public:
    CProtocolPipeClient(const std::string& pipeName, const std::string& mutexName);
    ~CProtocolPipeClient() override;

    BOOL OpenServerMutex();
    // Retries OpenServerMutex every 10 ms for up to `timeout` ms.
    BOOL WaitServerMutex(DWORD timeout);
    void CloseServerMutex();
    // TRUE while the peer still owns its presence mutex.
    BOOL IsServerAlive();

    BOOL SendHello(HelloBlock& block);
    BOOL Handshake();

    // TRUE when the reply has status 0; `payload` then holds the bytes after the status.
    BOOL Send(const std::vector<uint8_t>& request, std::vector<uint8_t>& payload);
    BOOL Send(const std::vector<uint8_t>& request);

private:
    std::string m_mutexName;
    fw::unique_handle m_mutex;
};
