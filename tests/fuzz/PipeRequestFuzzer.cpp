// Any request bytes get one of the three statuses, and a request that is accepted
// called the listener at most once. Built twice: the event pipe and the command pipe.
#include <cstdint>
#include <cstdlib>

#include "lockcore/PipeProtocol.h"
#include "lockcore/RequestDispatch.h"
#include "tests/lockcore/RecordingScreen.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    RecordingScreen screen;
    const std::vector<uint8_t> reply = KV_DISPATCH(data, size, &screen);
    std::vector<uint8_t> payload;
    const bool accepted = ParseReply(reply, payload);
    if (reply.size() < 4 || reply[1] != 0 || reply[2] != 0 || reply[3] != 0 || reply[0] > PIPE_STATUS_BAD_REQUEST)
        std::abort();
    if (!accepted && (reply.size() != 4 || !screen.Calls().empty()))
        std::abort();
    if (screen.Calls().size() > 1)
        std::abort();
    return 0;
}
