#include "lockcore/RequestDispatch.h"

#include <iterator>

#include "common/LockSetting.h"
#include "lockcore/ByteStream.h"
#include "lockcore/PipeProtocol.h"
#include "lockcore/SettingPayload.h"

namespace {

using Corvantis::SLockScreen;
using Reply = std::vector<uint8_t>;

Reply StatusReply(int32_t status)
{
    CByteWriter writer;
    WriteInt32(writer, status);
    return writer.Bytes();
}

Reply OkReply(const void* payload, uint32_t size)
{
    CByteWriter writer;
    WriteInt32(writer, PIPE_STATUS_OK);
    writer.Write(payload, size);
    return writer.Bytes();
}

Reply HelloReply() { return OkReply(PIPE_HELLO_BLOCK.data(), PIPE_HELLO_BLOCK.size()); }

// Reads `count` int32 arguments that must end the request.
bool ReadArguments(CByteReader& reader, int32_t* values, int count)
{
    for (int i = 0; i < count; ++i) {
        if (!ReadInt32(reader, values[i]))
            return false;
    }
    return reader.Remaining() == 0;
}

// Codes without arguments, and the display operation each one calls.
struct NoArgument {
    int32_t code;
    int (SLockScreen::*operation)();
};

const NoArgument kNoArgumentEvents[] = {
    {PIPE_EVT_KEY_EVENT, &SLockScreen::KeyEvent},
    {PIPE_EVT_MOUSE_EVENT, &SLockScreen::MouseEvent},
    {PIPE_EVT_WATCH_KEY_STATE, &SLockScreen::WatchKeyState},
    {PIPE_EVT_SHUTDOWN, &SLockScreen::Shutdown},
};

const NoArgument kNoArgumentCommands[] = {
    {PIPE_CMD_SHOW_LOCK_SCREEN, &SLockScreen::ShowLockScreen},
    {PIPE_CMD_HIDE_LOCK_SCREEN, &SLockScreen::HideLockScreen},
    {PIPE_CMD_RELOAD_PICTURES, &SLockScreen::ReloadPictures},
    {PIPE_CMD_SHOW_MESSAGE, &SLockScreen::ShowMessage},
    {PIPE_CMD_HIDE_MESSAGE, &SLockScreen::HideMessage},
    {PIPE_CMD_HIDE_CONTROLS, &SLockScreen::HideControls},
    {PIPE_CMD_SHOW_CONTROLS, &SLockScreen::ShowControls},
    {PIPE_CMD_SHOW_PASSWORD_DIALOG, &SLockScreen::ShowPasswordDialog},
};

template <size_t N>
const NoArgument* FindNoArgument(const NoArgument (&table)[N], int32_t code)
{
    for (const NoArgument& entry : table) {
        if (entry.code == code)
            return &entry;
    }
    return nullptr;
}

Reply CallWithoutArgument(const NoArgument& entry, CByteReader& reader, SLockScreen* listener)
{
    if (reader.Remaining() != 0)
        return StatusReply(PIPE_STATUS_BAD_REQUEST);
    if (listener)
        (listener->*entry.operation)();
    return StatusReply(PIPE_STATUS_OK);
}

Reply OnQueryMayUnlock(CByteReader& reader, SLockScreen* listener)
{
    if (reader.Remaining() != 0)
        return StatusReply(PIPE_STATUS_BAD_REQUEST);
    CByteWriter writer;
    WriteInt32(writer, PIPE_STATUS_OK);
    WriteInt32(writer, listener ? listener->QueryMayUnlock() : 0);
    return writer.Bytes();
}

Reply OnUnlockRequest(CByteReader& reader, SLockScreen* listener)
{
    int32_t values[3];
    if (!ReadArguments(reader, values, 3))
        return StatusReply(PIPE_STATUS_BAD_REQUEST);
    if (listener)
        listener->RequestUnlock({values[0], values[1], values[2]});
    return StatusReply(PIPE_STATUS_OK);
}

Reply OnCheckPassword(CByteReader& reader, SLockScreen* listener)
{
    std::string typed;
    if (!ReadString(reader, typed) || reader.Remaining() != 0)
        return StatusReply(PIPE_STATUS_BAD_REQUEST);
    if (listener)
        listener->CheckPassword(typed);
    return StatusReply(PIPE_STATUS_OK);
}

Reply OnSelectPicture(CByteReader& reader, SLockScreen* listener)
{
    int32_t picture = 0;
    if (!ReadArguments(reader, &picture, 1))
        return StatusReply(PIPE_STATUS_BAD_REQUEST);
    if (listener)
        listener->SelectPicture(picture);
    return StatusReply(PIPE_STATUS_OK);
}

Reply OnPasswordResult(CByteReader& reader, SLockScreen* listener)
{
    int32_t values[3];
    if (!ReadArguments(reader, values, 3))
        return StatusReply(PIPE_STATUS_BAD_REQUEST);
    if (listener)
        listener->SetPasswordResult({values[0], values[1], values[2]});
    return StatusReply(PIPE_STATUS_OK);
}

Reply OnPasswordDialogState(CByteReader& reader, SLockScreen* listener)
{
    int32_t state = 0;
    if (!ReadArguments(reader, &state, 1))
        return StatusReply(PIPE_STATUS_BAD_REQUEST);
    if (listener)
        listener->SetPasswordDialogState(state);
    return StatusReply(PIPE_STATUS_OK);
}

// A payload that does not read whole is dropped: the listener keeps what it had.
Reply OnSettings(CByteReader& reader, SLockScreen* listener)
{
    CLockSetting settings;
    if (!CSettingReader(&settings).Read(reader) || reader.Remaining() != 0)
        return StatusReply(PIPE_STATUS_BAD_REQUEST);
    if (listener)
        listener->SetSettings(settings);
    return StatusReply(PIPE_STATUS_OK);
}

} // namespace

std::vector<uint8_t> DispatchEventRequest(const uint8_t* data, size_t size, SLockScreen* listener)
{
    CByteReader reader(data, static_cast<uint32_t>(size));
    int32_t code = 0;
    if (!ReadInt32(reader, code))
        return StatusReply(PIPE_STATUS_BAD_REQUEST);
    if (const NoArgument* entry = FindNoArgument(kNoArgumentEvents, code))
        return CallWithoutArgument(*entry, reader, listener);
    switch (code) {
    case PIPE_EVT_HELLO:
        return reader.Remaining() == 0 ? HelloReply() : StatusReply(PIPE_STATUS_BAD_REQUEST);
    case PIPE_EVT_QUERY_MAY_UNLOCK:
        return OnQueryMayUnlock(reader, listener);
    case PIPE_EVT_UNLOCK_REQUEST:
        return OnUnlockRequest(reader, listener);
    case PIPE_EVT_CHECK_PASSWORD:
        return OnCheckPassword(reader, listener);
    default:
        return StatusReply(PIPE_STATUS_UNKNOWN_COMMAND);
    }
}

std::vector<uint8_t> DispatchCommandRequest(const uint8_t* data, size_t size, SLockScreen* listener)
{
    CByteReader reader(data, static_cast<uint32_t>(size));
    int32_t code = 0;
    if (!ReadInt32(reader, code))
        return StatusReply(PIPE_STATUS_BAD_REQUEST);
    if (const NoArgument* entry = FindNoArgument(kNoArgumentCommands, code))
        return CallWithoutArgument(*entry, reader, listener);
    switch (code) {
    case PIPE_CMD_HELLO:
        return reader.Remaining() == 0 ? HelloReply() : StatusReply(PIPE_STATUS_BAD_REQUEST);
    case PIPE_CMD_SELECT_PICTURE:
        return OnSelectPicture(reader, listener);
    case PIPE_CMD_SETTINGS:
        return OnSettings(reader, listener);
    case PIPE_CMD_PASSWORD_RESULT:
        return OnPasswordResult(reader, listener);
    case PIPE_CMD_PASSWORD_DIALOG_STATE:
        return OnPasswordDialogState(reader, listener);
    default:
        return StatusReply(PIPE_STATUS_UNKNOWN_COMMAND);
    }
}
