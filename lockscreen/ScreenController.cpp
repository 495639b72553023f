#include "lockscreen/ScreenController.h"

#include "lockcore/ByteStream.h"
#include "lockcore/PipeProtocol.h"
#include "lockscreen/ResidentLink.h"

BOOL CScreenController::Post(int code, LPARAM argument)
{
    return m_channel.Post(code, argument);
}

template <typename T>
BOOL CScreenController::PostRecord(int code, CRecordQueue<T>& queue, std::unique_ptr<T> record)
{
    queue.Push(std::move(record));
    if (Post(code))
        return TRUE;
    queue.DropNewest();
    return FALSE;
}

int CScreenController::ReloadPictures()
{
    return Post(LOCKCMD_RELOAD_PICTURES);
}

int CScreenController::SelectPicture(int picture)
{
    return Post(LOCKCMD_SELECT_PICTURE, picture);
}

// The flags follow the commands whatever the post returns.
int CScreenController::ShowLockScreen()
{
    m_shown = 1;
    return Post(LOCKCMD_SHOW_LOCK_SCREEN);
}

int CScreenController::HideLockScreen()
{
    m_shown = 0;
    return Post(LOCKCMD_HIDE_LOCK_SCREEN);
}

int CScreenController::ShowMessage()
{
    m_messageShown = 1;
    return Post(LOCKCMD_SHOW_MESSAGE);
}

int CScreenController::HideMessage()
{
    m_messageShown = 0;
    return Post(LOCKCMD_HIDE_MESSAGE);
}

int CScreenController::HideControls()
{
    m_controlsHidden = 1;
    return Post(LOCKCMD_HIDE_CONTROLS);
}

int CScreenController::ShowControls()
{
    m_controlsHidden = 0;
    return Post(LOCKCMD_SHOW_CONTROLS);
}

int CScreenController::SetSettings(const CLockSetting& settings)
{
    return PostRecord(LOCKCMD_SET_SETTINGS, m_settings, std::make_unique<CLockSetting>(settings));
}

int CScreenController::RefuseEndSession()
{
    return Post(LOCKCMD_REFUSE_END_SESSION);
}

int CScreenController::ShowPasswordDialog()
{
    return Post(LOCKCMD_SHOW_PASSWORD_DIALOG);
}

int CScreenController::SetPasswordResult(const Corvantis::SPasswordResult& result)
{
    return PostRecord(LOCKCMD_PASSWORD_RESULT, m_passwordResults, std::make_unique<Corvantis::SPasswordResult>(result));
}

int CScreenController::SetPasswordDialogState(int state)
{
    return Post(LOCKCMD_PASSWORD_DIALOG_STATE, state);
}

// Events

BOOL CScreenController::SendEvent(const std::vector<uint8_t>& request, std::vector<uint8_t>& payload) const
{
    CScreenEventClient* client = m_link ? m_link->EventClient() : nullptr;
    return client && client->Request(request, payload);
}

BOOL CScreenController::SendEvent(int32_t code) const
{
    std::vector<uint8_t> payload;
    return SendEvent(EncodeRequest(code), payload);
}

int CScreenController::KeyEvent()
{
    return SendEvent(PIPE_EVT_KEY_EVENT);
}

int CScreenController::MouseEvent()
{
    return SendEvent(PIPE_EVT_MOUSE_EVENT);
}

int CScreenController::QueryMayUnlock()
{
    std::vector<uint8_t> payload;
    if (!SendEvent(EncodeRequest(PIPE_EVT_QUERY_MAY_UNLOCK), payload))
        return 0;
    CByteReader reader(payload.data(), static_cast<uint32_t>(payload.size()));
    int32_t result = 0;
    return ReadInt32(reader, result) ? result : 0;
}

int CScreenController::WatchKeyState()
{
    return SendEvent(PIPE_EVT_WATCH_KEY_STATE);
}

int CScreenController::RequestUnlock(const Corvantis::SUnlockRequest& request)
{
    std::vector<uint8_t> payload;
    return SendEvent(EncodeRequest(PIPE_EVT_UNLOCK_REQUEST, {request.kind, request.value, request.flag}), payload);
}

int CScreenController::CheckPassword(const std::string& typed)
{
    std::vector<uint8_t> payload;
    return SendEvent(EncodeRequest(PIPE_EVT_CHECK_PASSWORD, typed), payload);
}

int CScreenController::Shutdown()
{
    return SendEvent(PIPE_EVT_SHUTDOWN);
}
