#include "lockscreen/ScreenEventClient.h"

CScreenEventClient::CScreenEventClient(const std::string& id, DWORD transactionTimeout)
    : CProtocolPipeClient(EventPipeName(id), EventMutexName(id)), m_timeout(transactionTimeout)
{
}

BOOL CScreenEventClient::Connect()
{
    return OpenServerMutex() && OpenAndGreet();
}

BOOL CScreenEventClient::OpenAndGreet()
{
    StartClock();
    if (Open() && Handshake())
        return TRUE;
    Close();
    return FALSE;
}

BOOL CScreenEventClient::Request(const std::vector<uint8_t>& request, std::vector<uint8_t>& payload)
{
    if (!IsOpen() && !OpenAndGreet())
        return FALSE;
    StartClock();
    std::vector<uint8_t> reply;
    if (!Transact(request.data(), static_cast<DWORD>(request.size()), reply)) {
        Close();
        return FALSE;
    }
    return ParseReply(reply, payload);
}

BOOL CScreenEventClient::Request(const std::vector<uint8_t>& request)
{
    std::vector<uint8_t> payload;
    return Request(request, payload);
}

BOOL CScreenEventClient::WaitIo(OVERLAPPED& overlapped)
{
    const DWORD elapsed = GetTickCount() - m_started;
    const DWORD left = elapsed < m_timeout ? m_timeout - elapsed : 0;
    if (WaitForSingleObject(overlapped.hEvent, left) == WAIT_OBJECT_0)
        return TRUE;
    CancelIo(overlapped);
    return FALSE;
}
