#include "lockcore/ProtocolPipeServer.h"

#include "lockcore/ByteStream.h"
#include "lockcore/PipeProtocol.h"

CProtocolPipeServer::CProtocolPipeServer(const std::string& pipeName, const std::string& mutexName)
    : CNamedPipeServer(pipeName, kPipeBufferSize), m_mutexName(mutexName)
{
}

CProtocolPipeServer::~CProtocolPipeServer()
{
    ReleaseServerMutex();
}

int CProtocolPipeServer::Serve()
{
    if (!TakeServerMutex())
        return -1;
    const int result = CNamedPipeServer::Serve();
    ReleaseServerMutex();
    return result;
}

int CProtocolPipeServer::OnRequest(const std::vector<uint8_t>& request)
{
    Reply(Dispatch(request));
    return 0;
}

int CProtocolPipeServer::OnOversizedRequest()
{
    CByteWriter writer;
    WriteInt32(writer, PIPE_STATUS_BAD_REQUEST);
    Reply(writer.Bytes());
    return 0;
}

void CProtocolPipeServer::Reply(const std::vector<uint8_t>& reply)
{
    Write(reply.data(), static_cast<DWORD>(reply.size()));
}

bool CProtocolPipeServer::TakeServerMutex()
{
    m_mutex.reset(CreateMutexA(nullptr, FALSE, m_mutexName.c_str()));
    if (!m_mutex)
        return false;
    const HANDLE handles[] = {m_mutex.get(), StopEvent()};
    const DWORD which = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    if (which == WAIT_OBJECT_0 || which == WAIT_ABANDONED_0)
        return true;
    m_mutex.reset();
    return false;
}

void CProtocolPipeServer::ReleaseServerMutex()
{
    if (!m_mutex)
        return;
    ReleaseMutex(m_mutex.get());
    m_mutex.reset();
}
