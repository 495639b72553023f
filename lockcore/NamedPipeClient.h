#pragma once
// The client end of a pipe. Its I/O has no time limit: a transaction ends when the server
// replies or closes its end.
#include "lockcore/NamedPipe.h"

class CNamedPipeClient : public CNamedPipe {
public:
    using CNamedPipe::CNamedPipe;

    virtual BOOL Open();
    // Retries every 10 ms until the pipe opens or `timeout` ms have passed.
    virtual BOOL OpenWithTimeout(DWORD timeout);
    // Writes the request and reads the reply; TRUE only when both succeed.
    BOOL Transact(const void* data, DWORD length, std::vector<uint8_t>& reply);
};
