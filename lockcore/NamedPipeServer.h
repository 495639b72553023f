#pragma once
// The server end of a pipe: one instance, one client at a time, created again for the next
// client when one goes. Every wait ends at once when the server is stopped.
#include <atomic>

#include "lockcore/NamedPipe.h"

class CNamedPipeServer : public CNamedPipe {
public:
    // The longest request kept: far above the largest valid one (a settings payload with
    // many keys), so a peer that keeps writing cannot make the server take all memory.
    static constexpr size_t kMaxRequest = 1024 * 1024;

    CNamedPipeServer(const std::string& name, int bufferSize);
    ~CNamedPipeServer() override;

    // Serves clients until stopped: 0 after a stop, -1 when the pipe cannot be created.
    virtual int Serve();
    // Callable from any thread; a stop made outside a wait ends the next wait.
    virtual void Stop();

    // Signalled once the first pipe instance exists.
    HANDLE CreatedEvent() const { return m_created.get(); }

protected:
    // The one instance; no other server may have taken the name first and no other
    // machine may connect, where Windows knows these rules.
    virtual BOOL Create(SECURITY_ATTRIBUTES* attributes);
    // The pipe with the settings folder's access list.
    virtual BOOL CreateSecure();
    virtual BOOL Connect();
    // Whether the client just connected may be served; a refused one is disconnected
    // before any request of it is read. The default takes every client.
    virtual bool AcceptClient() { return true; }
    // Handles one request; the reply is written with Write.
    virtual int OnRequest(const std::vector<uint8_t>& request);
    // Answers a request longer than kMaxRequest, read to its end and dropped; the default
    // answers nothing. The connection goes on either way.
    virtual int OnOversizedRequest();
    // Waits for the I/O or the stop event; a stop cancels the I/O and closes the pipe.
    BOOL WaitIo(OVERLAPPED& overlapped) override;

    HANDLE StopEvent() const { return m_stop.get(); }
    bool IsStopped() const { return m_stopped; }

private:
    fw::unique_handle m_stop;     // auto-reset
    fw::unique_handle m_created;  // manual-reset
    std::atomic<bool> m_stopped{false};
    bool m_nameClaimed = false;  // an instance was made: the name is this server's
};
