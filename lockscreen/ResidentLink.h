#pragma once
// The lock-screen program's link to the resident program that started it: first the
// client of the resident program's event pipe, then its own command-pipe server on a
// thread of its own. All three are null while stopped.
#include <memory>
#include <string>

#include "lockcore/LockScreen.h"
#include "lockcore/ServerThread.h"
#include "lockscreen/ScreenCommandServer.h"
#include "lockscreen/ScreenEventClient.h"

class CResidentLink {
public:
    CResidentLink() = default;
    CResidentLink(const CResidentLink&) = delete;
    CResidentLink& operator=(const CResidentLink&) = delete;
    ~CResidentLink() { Stop(); }

    // Connects to the event pipe (one try), then serves the command pipe for `listener`;
    // on any failure the link is torn down and the result is FALSE.
    BOOL Start(const std::string& id, Corvantis::SLockScreen* listener);
    void Stop();

    CScreenEventClient* EventClient() const { return m_client.get(); }

private:
    BOOL ConnectClient(const std::string& id);
    BOOL StartServer(const std::string& id, Corvantis::SLockScreen* listener);

    std::unique_ptr<CScreenEventClient> m_client;
    std::unique_ptr<CScreenCommandServer> m_server;
    std::unique_ptr<CServerThread> m_thread;
};
