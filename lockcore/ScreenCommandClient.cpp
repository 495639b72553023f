#include "lockcore/ScreenCommandClient.h"

#include "lockcore/SettingPayload.h"

CScreenCommandClient::CScreenCommandClient(const std::string& id)
    : CProtocolPipeClient(CommandPipeName(id), CommandMutexName(id))
{
}

BOOL CScreenCommandClient::Connect(DWORD timeout)
{
    return WaitServerMutex(timeout) && OpenWithTimeout(timeout) && Handshake();
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
