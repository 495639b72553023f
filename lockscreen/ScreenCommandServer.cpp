#include "lockscreen/ScreenCommandServer.h"

#include "lockcore/PipeClientProcess.h"
#include "lockcore/PipeProtocol.h"
#include "lockcore/RequestDispatch.h"

CScreenCommandServer::CScreenCommandServer(const std::string& id, Corvantis::SLockScreen* listener)
    : CProtocolPipeServer(CommandPipeName(id), CommandMutexName(id)), m_listener(listener),
      m_resident(ProcessIdOfInstance(id))
{
}

std::vector<uint8_t> CScreenCommandServer::Dispatch(const std::vector<uint8_t>& request)
{
    return DispatchCommandRequest(request.data(), request.size(), m_listener);
}

// Any other local program could take the free pipe and command the display: hide it,
// among the rest.
bool CScreenCommandServer::AcceptClient()
{
    DWORD client = 0;
    if (!PipeClientProcessId(Handle(), client))
        return true;  // Windows cannot tell who it is
    return m_resident && client == *m_resident;
}
