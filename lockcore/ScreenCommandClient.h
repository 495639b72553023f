#pragma once
// The resident program's client of the lock-screen program's command pipe: one sender per
// display command, each TRUE only when the lock-screen program answered status 0.
#include "lockcore/LockScreen.h"
#include "lockcore/ProtocolPipeClient.h"

class CScreenCommandClient : public CProtocolPipeClient {
public:
    // `server`: the launched lock-screen process, the only server talked to where Windows
    // can name a pipe's server; 0 for any server.
    explicit CScreenCommandClient(const std::string& id, DWORD server = 0);

    // Waits up to `timeout` ms for the presence mutex and as long again for the pipe,
    // then exchanges hellos; FALSE, the pipe closed, when another process serves it.
    BOOL Connect(DWORD timeout = 60000);

    BOOL ShowLockScreen();
    BOOL HideLockScreen();
    BOOL ReloadPictures();
    BOOL SelectPicture(int picture);
    BOOL ShowMessage();
    BOOL HideMessage();
    BOOL HideControls();
    BOOL ShowControls();
    BOOL SendSettings(const CLockSetting& settings);
    BOOL ShowPasswordDialog();
    BOOL SetPasswordResult(const Corvantis::SPasswordResult& result);
    BOOL SetPasswordDialogState(int state);

private:
    BOOL IsLaunchedServer();

    const DWORD m_server;
};
