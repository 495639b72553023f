#pragma once
// The lock-screen program's server of the command pipe (codes 1 to 13). Each well-formed
// command reaches the listener, which only records it for the display's thread, and is
// answered status 0 at once: the answer says the command was taken, not carried out.
// Where Windows names a pipe's client, only the resident program whose process id is the
// instance id is served.
#include <optional>

#include "lockcore/LockScreen.h"
#include "lockcore/ProtocolPipeServer.h"

class CScreenCommandServer : public CProtocolPipeServer {
public:
    CScreenCommandServer(const std::string& id, Corvantis::SLockScreen* listener);

protected:
    std::vector<uint8_t> Dispatch(const std::vector<uint8_t>& request) override;
    bool AcceptClient() override;

private:
    Corvantis::SLockScreen* m_listener;  // not owned; may be null
    const std::optional<uint32_t> m_resident;  // empty when the id names no process
};
