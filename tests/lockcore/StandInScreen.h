#pragma once
// Another program's server of the lock-screen program's command pipe: it answers as the
// lock-screen program would and counts what it is sent.
#include <atomic>
#include <string>
#include <vector>

#include "lockcore/PipeProtocol.h"
#include "lockcore/ProtocolPipeServer.h"
#include "lockcore/RequestDispatch.h"
#include "tests/lockcore/RecordingScreen.h"

class StandInScreen : public CProtocolPipeServer {
public:
    explicit StandInScreen(const std::string& id) : CProtocolPipeServer(CommandPipeName(id), CommandMutexName(id)) {}
    std::atomic<int> requests{0};

protected:
    std::vector<uint8_t> Dispatch(const std::vector<uint8_t>& request) override
    {
        ++requests;
        return DispatchCommandRequest(request.data(), request.size(), &m_listener);
    }

private:
    RecordingScreen m_listener;
};
