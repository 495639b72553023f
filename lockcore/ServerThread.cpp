#include "lockcore/ServerThread.h"

std::unique_ptr<CServerThread> CServerThread::Start(CNamedPipeServer& server, DWORD timeout)
{
    auto thread = std::make_unique<CServerThread>(server);
    if (!thread->fw::CThread::Start())
        return nullptr;
    // The thread ends at once when the pipe cannot be created.
    const HANDLE handles[] = {server.CreatedEvent(), thread->ThreadHandle()};
    if (WaitForMultipleObjects(2, handles, FALSE, timeout) != WAIT_OBJECT_0)
        return nullptr;  // the thread object stops the server as it goes
    return thread;
}

CServerThread::~CServerThread()
{
    Stop();
}

void CServerThread::Stop()
{
    if (!ThreadHandle())
        return;
    try {
        m_server.Stop();
    } catch (...) {
    }
    fw::CThread::Stop(10000);
}

void CServerThread::Run()
{
    try {
        m_server.Serve();
    } catch (...) {
    }
}
