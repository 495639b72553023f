#pragma once
// The resident program's server of the event pipe: what the lock-screen program reports
// reaches the listener (the resident program's lock-display proxy).
#include <atomic>

#include "lockcore/LockScreen.h"
#include "lockcore/ProtocolPipeServer.h"

class CScreenEventServer : public CProtocolPipeServer {
public:
    // Who may report: any local client, or only the lock-screen process that this program
    // launched (named by ExpectClient), where Windows can name a pipe's client.
    enum class EClients { Any, Launched };
    // How long a client that connects before the launch has named its process waits.
    static constexpr DWORD kLaunchWait = 10000;

    CScreenEventServer(const std::string& id, Corvantis::SLockScreen* listener, EClients clients = EClients::Any);

    // The launched lock-screen process; 0 when Windows could not name it (then any local
    // client is served). Callable from any thread.
    void ExpectClient(DWORD processId);

protected:
    std::vector<uint8_t> Dispatch(const std::vector<uint8_t>& request) override;
    bool AcceptClient() override;

private:
    // False when the launch was not named in time or the server was stopped meanwhile.
    bool WaitForExpectedClient(DWORD& processId);

    Corvantis::SLockScreen* m_listener;  // not owned; may be null
    const EClients m_clients;
    std::atomic<DWORD> m_expected{0};
    fw::unique_handle m_expectedKnown;  // manual-reset
};
