#include "lockcore/NamedPipeClient.h"

BOOL CNamedPipeClient::Open()
{
    m_handle.reset(CreateFileA(Name().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OVERLAPPED, nullptr));
    return IsOpen();
}

BOOL CNamedPipeClient::OpenWithTimeout(DWORD timeout)
{
    const DWORD start = GetTickCount();
    while (!Open() && GetTickCount() - start < timeout)  // the difference survives the tick wrap
        Sleep(10);
    return IsOpen();
}

BOOL CNamedPipeClient::Transact(const void* data, DWORD length, std::vector<uint8_t>& reply)
{
    reply.clear();
    return Write(data, length) && Read(reply);
}
