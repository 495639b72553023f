#pragma once
// The resident program's link to the lock-screen program: its own event-pipe server, the
// launched lock-screen process and the client of that program's command pipe.
#include <memory>
#include <string>

#include "lockcore/LockScreen.h"
#include "lockcore/ScreenCommandClient.h"
#include "lockcore/ScreenEventServer.h"
#include "lockcore/ServerThread.h"

class CLockScreenLink {
public:
    CLockScreenLink() = default;
    CLockScreenLink(const CLockScreenLink&) = delete;
    CLockScreenLink& operator=(const CLockScreenLink&) = delete;
    virtual ~CLockScreenLink();

    // Serves the event pipe for `listener` and connects to the command pipe, each with the
    // launched process alone where Windows can tell, after launching the lock-screen
    // program with "/id <own process id>"; on any failure the link is torn down again and
    // the result is FALSE.
    BOOL Start(Corvantis::SLockScreen* listener);
    // Closes the client, then stops the event server, handling messages sent to the
    // calling thread while it waits so a server thread inside SendMessage can finish.
    void Stop();
    // TRUE while the launched lock-screen program runs and still owns its presence mutex.
    BOOL IsAlive();

    CScreenCommandClient* Client() const { return m_client.get(); }

private:
    BOOL StartServer(const std::string& id, Corvantis::SLockScreen* listener);
    BOOL LaunchLockScreen(const std::string& id);
    BOOL ConnectClient(const std::string& id);
    void DeleteClient();
    void StopServer();
    // True also where the launch gave no process handle to watch.
    bool IsLaunchedProgramRunning() const;

    std::unique_ptr<CScreenCommandClient> m_client;
    std::unique_ptr<CScreenEventServer> m_server;
    std::unique_ptr<CServerThread> m_thread;
    // Held while linked, so that its process id cannot pass to another process.
    fw::unique_handle m_lockScreenProcess;
};
