#include "lockcore/LockScreenProxy.h"

#include "lockcore/LockScreenLink.h"

void CLockScreenProxy::SetTarget(HWND window, UINT message)
{
    m_channel.SetTarget(window, message);
}

void CLockScreenProxy::ReplayState()
{
    ReloadPictures();
    SelectPicture(PICTURE_LOCK);
    if (IsLockScreenShown())
        ShowLockScreen();
    else
        HideLockScreen();
    if (IsMessageShown())
        ShowMessage();
    else
        HideMessage();
    if (AreControlsHidden()) {
        SelectPicture(PICTURE_ALARM1);
        HideControls();
    } else {
        ShowControls();
    }
}

int CLockScreenProxy::Send(int code, LPARAM lParam)
{
    return static_cast<int>(m_channel.Send(code, lParam));
}

int CLockScreenProxy::Post(int code, LPARAM lParam)
{
    return m_channel.Post(code, lParam);
}

template <typename Pipe>
int CLockScreenProxy::Command(int code, LPARAM lParam, Pipe pipe)
{
    if (!m_link)
        return Send(code, lParam);
    CScreenCommandClient* client = m_link->Client();
    return client ? pipe(*client) : 0;
}

int CLockScreenProxy::ReloadPictures()
{
    return Command(LOCKCMD_RELOAD_PICTURES, 0, [](CScreenCommandClient& c) { return c.ReloadPictures(); });
}

int CLockScreenProxy::SelectPicture(int picture)
{
    return Command(LOCKCMD_SELECT_PICTURE, picture, [&](CScreenCommandClient& c) { return c.SelectPicture(picture); });
}

int CLockScreenProxy::ShowLockScreen()
{
    const int result = Command(LOCKCMD_SHOW_LOCK_SCREEN, 0, [](CScreenCommandClient& c) { return c.ShowLockScreen(); });
    m_shown = 1;
    return result;
}

int CLockScreenProxy::HideLockScreen()
{
    const int result = Command(LOCKCMD_HIDE_LOCK_SCREEN, 0, [](CScreenCommandClient& c) { return c.HideLockScreen(); });
    m_shown = 0;
    return result;
}

int CLockScreenProxy::ShowMessage()
{
    const int result = Command(LOCKCMD_SHOW_MESSAGE, 0, [](CScreenCommandClient& c) { return c.ShowMessage(); });
    m_messageShown = 1;
    return result;
}

int CLockScreenProxy::HideMessage()
{
    const int result = Command(LOCKCMD_HIDE_MESSAGE, 0, [](CScreenCommandClient& c) { return c.HideMessage(); });
    m_messageShown = 0;
    return result;
}

int CLockScreenProxy::HideControls()
{
    const int result = Command(LOCKCMD_HIDE_CONTROLS, 0, [](CScreenCommandClient& c) { return c.HideControls(); });
    m_controlsHidden = 1;
    return result;
}

int CLockScreenProxy::ShowControls()
{
    const int result = Command(LOCKCMD_SHOW_CONTROLS, 0, [](CScreenCommandClient& c) { return c.ShowControls(); });
    m_controlsHidden = 0;
    return result;
}

int CLockScreenProxy::KeyEvent() { return Post(LOCKCMD_KEY_EVENT); }

int CLockScreenProxy::MouseEvent() { return Post(LOCKCMD_MOUSE_EVENT); }

int CLockScreenProxy::RefuseEndSession()
{
    // The lock-screen program refuses the end of the session by itself.
    return m_link ? 1 : Post(LOCKCMD_REFUSE_END_SESSION);
}

int CLockScreenProxy::ShowPasswordDialog()
{
    if (!m_link)
        return Post(LOCKCMD_SHOW_PASSWORD_DIALOG);
    CScreenCommandClient* client = m_link->Client();
    return client ? client->ShowPasswordDialog() : 0;
}

int CLockScreenProxy::QueryMayUnlock() { return Send(LOCKCMD_QUERY_MAY_UNLOCK); }

int CLockScreenProxy::WatchKeyState() { return Send(LOCKCMD_WATCH_KEY_STATE); }

int CLockScreenProxy::RequestUnlock(const Corvantis::SUnlockRequest& request)
{
    return Send(LOCKCMD_UNLOCK_REQUEST, reinterpret_cast<LPARAM>(&request));
}

int CLockScreenProxy::CheckPassword(const std::string& typed)
{
    return Send(LOCKCMD_CHECK_PASSWORD, reinterpret_cast<LPARAM>(&typed));
}

int CLockScreenProxy::SetPasswordResult(const Corvantis::SPasswordResult& result)
{
    return Command(LOCKCMD_PASSWORD_RESULT, reinterpret_cast<LPARAM>(&result),
                   [&](CScreenCommandClient& c) { return c.SetPasswordResult(result); });
}

int CLockScreenProxy::SetPasswordDialogState(int state)
{
    return Command(LOCKCMD_PASSWORD_DIALOG_STATE, state,
                   [&](CScreenCommandClient& c) { return c.SetPasswordDialogState(state); });
}

int CLockScreenProxy::Shutdown() { return Post(LOCKCMD_SHUTDOWN); }
