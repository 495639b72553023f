#include "lockcore/NamedPipeServer.h"

#include "common/PathUtil.h"

namespace {

constexpr DWORD kDefaultTimeout = 60000;

} // namespace

CNamedPipeServer::CNamedPipeServer(const std::string& name, int bufferSize)
    : CNamedPipe(name, bufferSize),
      m_stop(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      m_created(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
}

CNamedPipeServer::~CNamedPipeServer() = default;

int CNamedPipeServer::Serve()
{
    for (;;) {
        if (!CreateSecure())
            return -1;
        SetEvent(m_created.get());
        if (Connect() && AcceptClient()) {
            std::vector<uint8_t> request;
            bool oversized = false;
            while (ReadAtMost(request, kMaxRequest, oversized))
                oversized ? OnOversizedRequest() : OnRequest(request);
        }
        Close();
        if (m_stopped)
            return 0;
    }
}

void CNamedPipeServer::Stop()
{
    m_stopped = true;
    SetEvent(m_stop.get());
}

BOOL CNamedPipeServer::Create(SECURITY_ATTRIBUTES* attributes)
{
    // Older releases refuse the flags they do not know (remote clients before Vista, the
    // first instance before XP SP2) as an invalid parameter: then without them. The name
    // is claimed once: a refused client may still hold its end of the old instance, which
    // would make a later first-instance creation fail.
    const DWORD first = m_nameClaimed ? 0 : FILE_FLAG_FIRST_PIPE_INSTANCE;
    const struct {
        DWORD open;
        DWORD mode;
    } rules[] = {
        {first, PIPE_REJECT_REMOTE_CLIENTS},
        {first, 0},
        {0, 0},
    };
    for (const auto& rule : rules) {
        m_handle.reset(CreateNamedPipeA(Name().c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | rule.open,
                                        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | rule.mode, 1,
                                        BufferSize(), BufferSize(), kDefaultTimeout, attributes));
        if (IsOpen() || GetLastError() != ERROR_INVALID_PARAMETER)
            break;
    }
    m_nameClaimed = m_nameClaimed || IsOpen();
    return IsOpen();
}

BOOL CNamedPipeServer::CreateSecure()
{
    // Without the list the pipe is not made at all: a NULL DACL would open it to everyone.
    const fw::unique_hlocal acl = CPathUtil::BuildAccessList(CPathUtil::SettingFolderAccess());
    if (!acl)
        return FALSE;
    SECURITY_DESCRIPTOR descriptor;
    if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, static_cast<PACL>(acl.get()), FALSE))
        return FALSE;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
    return Create(&attributes);
}

BOOL CNamedPipeServer::Connect()
{
    COverlappedOp op;
    if (!op || !IsOpen())
        return FALSE;
    if (ConnectNamedPipe(Handle(), &op.Get()))
        return TRUE;
    switch (GetLastError()) {
    case ERROR_PIPE_CONNECTED:  // the client came before the call
        return TRUE;
    case ERROR_IO_PENDING:
        return WaitIo(op.Get());
    default:
        return FALSE;
    }
}

int CNamedPipeServer::OnRequest(const std::vector<uint8_t>&)
{
    return 0;
}

int CNamedPipeServer::OnOversizedRequest()
{
    return 0;
}

BOOL CNamedPipeServer::WaitIo(OVERLAPPED& overlapped)
{
    const HANDLE handles[] = {overlapped.hEvent, m_stop.get()};
    const DWORD which = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    if (which == WAIT_OBJECT_0)
        return TRUE;
    CancelIo(overlapped);
    if (which == WAIT_OBJECT_0 + 1)
        Close();
    return FALSE;
}
