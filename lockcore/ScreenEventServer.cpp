#include "lockcore/ScreenEventServer.h"

#include "lockcore/PipeClientProcess.h"
#include "lockcore/PipeProtocol.h"
#include "lockcore/RequestDispatch.h"

CScreenEventServer::CScreenEventServer(const std::string& id, Corvantis::SLockScreen* listener, EClients clients)
    : CProtocolPipeServer(EventPipeName(id), EventMutexName(id)), m_listener(listener), m_clients(clients),
      m_expectedKnown(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
}

void CScreenEventServer::ExpectClient(DWORD processId)
{
    m_expected = processId;
    SetEvent(m_expectedKnown.get());
}

std::vector<uint8_t> CScreenEventServer::Dispatch(const std::vector<uint8_t>& request)
{
    return DispatchEventRequest(request.data(), request.size(), m_listener);
}

// Any other local program could take the free pipe and report what it likes, an unlock
// request among it.
bool CScreenEventServer::AcceptClient()
{
    if (m_clients == EClients::Any)
        return true;
    DWORD client = 0;
    if (!PipeClientProcessId(Handle(), client))
        return true;  // Windows cannot tell who it is
    DWORD expected = 0;
    if (!WaitForExpectedClient(expected))
        return false;
    return expected == 0 || client == expected;
}

bool CScreenEventServer::WaitForExpectedClient(DWORD& processId)
{
    const HANDLE handles[] = {m_expectedKnown.get(), StopEvent()};
    if (WaitForMultipleObjects(2, handles, FALSE, kLaunchWait) != WAIT_OBJECT_0)
        return false;
    processId = m_expected;
    return true;
}
