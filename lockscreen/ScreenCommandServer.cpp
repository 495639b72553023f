#include "lockscreen/ScreenCommandServer.h"

#include "lockcore/PipeProtocol.h"
#include "lockcore/RequestDispatch.h"

CScreenCommandServer::CScreenCommandServer(const std::string& id, Corvantis::SLockScreen* listener)
    : CProtocolPipeServer(CommandPipeName(id), CommandMutexName(id)), m_listener(listener)
{
}

std::vector<uint8_t> CScreenCommandServer::Dispatch(const std::vector<uint8_t>& request)
{
    return DispatchCommandRequest(request.data(), request.size(), m_listener);
}
