#include "lockcore/ScreenEventServer.h"

#include "lockcore/PipeProtocol.h"
#include "lockcore/RequestDispatch.h"

CScreenEventServer::CScreenEventServer(const std::string& id, Corvantis::SLockScreen* listener)
    : CProtocolPipeServer(EventPipeName(id), EventMutexName(id)), m_listener(listener)
{
}

std::vector<uint8_t> CScreenEventServer::Dispatch(const std::vector<uint8_t>& request)
{
    return DispatchEventRequest(request.data(), request.size(), m_listener);
}
