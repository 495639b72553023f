#pragma once
// The resident program's lock display interface. Without a link every operation goes
// to the target window through the command channel (sent, or posted where the handler
// may run a modal loop or must not block); with a link the display commands go over the
// command pipe. The display's own events always go to the target window. The three flags keep
// what the lock engine last asked for, to replay it on a new display.
#include <windows.h>

#include "lockcore/LockCommandChannel.h"
#include "lockcore/LockScreen.h"

class CLockScreenLink;
class CScreenCommandClient;

class CLockScreenProxy : public Corvantis::SLockScreen {
public:
    void SetTarget(HWND window, UINT message);
    // The window's side of the channel: it delivers the commands on each target message.
    CLockCommandChannel& Channel() { return m_channel; }
    void SetLink(CLockScreenLink* link) { m_link = link; }
    // Brings a fresh display to the recorded state.
    void ReplayState();

    int ReloadPictures() override;
    int SelectPicture(int picture) override;
    int ShowLockScreen() override;
    int HideLockScreen() override;
    int IsLockScreenShown() override { return m_shown; }
    int ShowMessage() override;
    int HideMessage() override;
    int IsMessageShown() override { return m_messageShown; }
    int HideControls() override;
    int ShowControls() override;
    int AreControlsHidden() override { return m_controlsHidden; }
    int KeyEvent() override;
    int MouseEvent() override;
    // Settings reach the lock-screen program only by the lock core's connect and reload.
    int SetSettings(const CLockSetting&) override { return 0; }
    int RefuseEndSession() override;
    int ShowPasswordDialog() override;
    int QueryMayUnlock() override;
    int WatchKeyState() override;
    int RequestUnlock(const Corvantis::SUnlockRequest& request) override;
    int CheckPassword(const std::string& typed) override;
    int SetPasswordResult(const Corvantis::SPasswordResult& result) override;
    int SetPasswordDialogState(int state) override;
    int Shutdown() override;

private:
    int Send(int code, LPARAM lParam = 0);
    int Post(int code, LPARAM lParam = 0);
    // Over the pipe while linked (0 without a client), else sent to the window.
    template <typename Pipe>
    int Command(int code, LPARAM lParam, Pipe pipe);

    int m_shown = 0;
    int m_messageShown = 0;
    int m_controlsHidden = 0;
    CLockCommandChannel m_channel;
    CLockScreenLink* m_link = nullptr;
};
