#include "lockcore/ProtocolPipeClient.h"

#include <algorithm>

CProtocolPipeClient::CProtocolPipeClient(const std::string& pipeName, const std::string& mutexName)
    : CNamedPipeClient(pipeName, kPipeBufferSize), m_mutexName(mutexName)
{
}

CProtocolPipeClient::~CProtocolPipeClient()
{
    CloseServerMutex();
}

BOOL CProtocolPipeClient::OpenServerMutex()
{
    m_mutex.reset(OpenMutexA(SYNCHRONIZE, TRUE, m_mutexName.c_str()));
    return m_mutex ? TRUE : FALSE;
}

BOOL CProtocolPipeClient::WaitServerMutex(DWORD timeout)
{
    const DWORD start = GetTickCount();
    while (!OpenServerMutex()) {
        if (GetTickCount() - start >= timeout)
            return FALSE;
        Sleep(10);
    }
    return TRUE;
}

void CProtocolPipeClient::CloseServerMutex()
{
    m_mutex.reset();
}

BOOL CProtocolPipeClient::IsServerAlive()
{
    if (!m_mutex)
        return FALSE;
    const DWORD result = WaitForSingleObject(m_mutex.get(), 1);
    if (result == WAIT_TIMEOUT)
        return TRUE;
    // The peer has gone and the wait made this thread the owner: give it back at once, or
    // a later server of the same name would wait for it for ever.
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED)
        ReleaseMutex(m_mutex.get());
    return FALSE;
}

BOOL CProtocolPipeClient::SendHello(HelloBlock& block)
{
    std::vector<uint8_t> payload;
    if (!Send(EncodeRequest(PIPE_CMD_HELLO), payload) || payload.size() != block.size())
        return FALSE;
    std::copy(payload.begin(), payload.end(), block.begin());
    return TRUE;
}

BOOL CProtocolPipeClient::Handshake()
{
    HelloBlock block{};
    return SendHello(block) && block == PIPE_HELLO_BLOCK;
}

BOOL CProtocolPipeClient::Send(const std::vector<uint8_t>& request, std::vector<uint8_t>& payload)
{
    std::vector<uint8_t> reply;
    if (!Transact(request.data(), static_cast<DWORD>(request.size()), reply))
        return FALSE;
    return ParseReply(reply, payload);
}

BOOL CProtocolPipeClient::Send(const std::vector<uint8_t>& request)
{
    std::vector<uint8_t> payload;
    return Send(request, payload);
}
