#pragma once
// The resident program's server of the event pipe: what the lock-screen program reports
// reaches the listener (the resident program's lock-display proxy).
#include "lockcore/LockScreen.h"
#include "lockcore/ProtocolPipeServer.h"

class CScreenEventServer : public CProtocolPipeServer {
public:
    CScreenEventServer(const std::string& id, Corvantis::SLockScreen* listener);

protected:
    std::vector<uint8_t> Dispatch(const std::vector<uint8_t>& request) override;

private:
    Corvantis::SLockScreen* m_listener;  // not owned; may be null
};
