#include "lockcore/LockScreenLink.h"

#include <shellapi.h>

#include "common/PathUtil.h"
#include "lockcore/PipeClientProcess.h"
#include "lockcore/PipeProtocol.h"

CLockScreenLink::~CLockScreenLink()
{
    Stop();
}

BOOL CLockScreenLink::Start(Corvantis::SLockScreen* listener)
{
    const std::string id = InstanceIdOf(GetCurrentProcessId());
    if (StartServer(id, listener) && LaunchLockScreen(id) && ConnectClient(id))
        return TRUE;
    Stop();
    return FALSE;
}

void CLockScreenLink::Stop()
{
    DeleteClient();
    StopServer();
}

// Another program may take the presence mutex once the launched program has gone.
BOOL CLockScreenLink::IsAlive()
{
    return m_client && m_client->IsServerAlive() && IsLaunchedProgramRunning();
}

bool CLockScreenLink::IsLaunchedProgramRunning() const
{
    return !m_lockScreenProcess || WaitForSingleObject(m_lockScreenProcess.get(), 0) == WAIT_TIMEOUT;
}

BOOL CLockScreenLink::StartServer(const std::string& id, Corvantis::SLockScreen* listener)
{
    try {
        m_server = std::make_unique<CScreenEventServer>(id, listener, CScreenEventServer::EClients::Launched);
        m_thread = CServerThread::Start(*m_server);
        return m_thread != nullptr;
    } catch (...) {
        return FALSE;
    }
}

BOOL CLockScreenLink::LaunchLockScreen(const std::string& id)
{
    const std::string path = CPathUtil::GetLockScreenPath();
    const std::string parameters = "/id " + id;
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = "open";
    info.lpFile = path.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_SHOW;
    const BOOL launched = ShellExecuteExA(&info) && reinterpret_cast<INT_PTR>(info.hInstApp) > 32;
    m_lockScreenProcess.reset(info.hProcess);
    if (launched)
        m_server->ExpectClient(ProcessIdOf(info.hProcess));
    return launched;
}

BOOL CLockScreenLink::ConnectClient(const std::string& id)
{
    try {
        m_client = std::make_unique<CScreenCommandClient>(id, ProcessIdOf(m_lockScreenProcess.get()));
        return m_client->Connect();
    } catch (...) {
        return FALSE;
    }
}

void CLockScreenLink::DeleteClient()
{
    m_client.reset();
}

void CLockScreenLink::StopServer()
{
    if (m_thread) {
        m_thread->Stop();
        m_thread.reset();
    }
    m_server.reset();
    m_lockScreenProcess.reset();
}
