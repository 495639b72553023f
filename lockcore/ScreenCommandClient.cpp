#include "lockcore/ScreenCommandClient.h"

#include "lockcore/PipeClientProcess.h"
#include "lockcore/SettingPayload.h"

CScreenCommandClient::CScreenCommandClient(const std::string& id, DWORD server)
    : CProtocolPipeClient(CommandPipeName(id), CommandMutexName(id)), m_server(server)
{
}

BOOL CScreenCommandClient::Connect(DWORD timeout)
{
    return WaitServerMutex(timeout) && OpenWithTimeout(timeout) && IsLaunchedServer() && Handshake();
}

// Any other local program could create the pipe first and stand in for the lock-screen
// program: it would be sent the settings and show nothing.
BOOL CScreenCommandClient::IsLaunchedServer()
{
    DWORD server = 0;
    if (m_server == 0 || !PipeServerProcessId(Handle(), server) || server == m_server)
        return TRUE;  // any server asked for, or Windows cannot tell who it is
    Close();
    return FALSE;
}

BOOL CScreenCommandClient::ShowLockScreen() { return Send(EncodeRequest(PIPE_CMD_SHOW_LOCK_SCREEN)); }
BOOL CScreenCommandClient::HideLockScreen() { return Send(EncodeRequest(PIPE_CMD_HIDE_LOCK_SCREEN)); }
BOOL CScreenCommandClient::ReloadPictures() { return Send(EncodeRequest(PIPE_CMD_RELOAD_PICTURES)); }
BOOL CScreenCommandClient::SelectPicture(int picture)
{
    return Send(EncodeRequest(PIPE_CMD_SELECT_PICTURE, {picture}));
}
BOOL CScreenCommandClient::ShowMessage() { return Send(EncodeRequest(PIPE_CMD_SHOW_MESSAGE)); }
BOOL CScreenCommandClient::HideMessage() { return Send(EncodeRequest(PIPE_CMD_HIDE_MESSAGE)); }
BOOL CScreenCommandClient::HideControls() { return Send(EncodeRequest(PIPE_CMD_HIDE_CONTROLS)); }
BOOL CScreenCommandClient::ShowControls() { return Send(EncodeRequest(PIPE_CMD_SHOW_CONTROLS)); }
BOOL CScreenCommandClient::SendSettings(const CLockSetting& settings)
{
    return Send(EncodeSettingsRequest(settings));
}
BOOL CScreenCommandClient::ShowPasswordDialog() { return Send(EncodeRequest(PIPE_CMD_SHOW_PASSWORD_DIALOG)); }
BOOL CScreenCommandClient::SetPasswordResult(const Corvantis::SPasswordResult& result)
{
    return Send(EncodeRequest(PIPE_CMD_PASSWORD_RESULT, {result.ok, result.mayUnlock, result.raiseAlarm}));
}
BOOL CScreenCommandClient::SetPasswordDialogState(int state)
{
    return Send(EncodeRequest(PIPE_CMD_PASSWORD_DIALOG_STATE, {state}));
}
