#include "lockcore/PipeProtocol.h"

#include <algorithm>
#include <charconv>

#include "lockcore/ByteStream.h"

const HelloBlock PIPE_HELLO_BLOCK = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};

namespace {

const char kEventGuid[] = "{930E2D8E-3C8B-4afe-AF1E-6A912E7F534B}-";
const char kCommandGuid[] = "{946F61BA-FA43-4748-8A58-9799653FC27D}-";
const char kPipePrefix[] = "\\\\.\\pipe\\";

} // namespace

std::string InstanceIdOf(uint32_t processId)
{
    return std::to_string(static_cast<int32_t>(processId));
}

std::optional<uint32_t> ProcessIdOfInstance(const std::string& id)
{
    int32_t value = 0;
    const char* end = id.data() + id.size();
    const auto [last, error] = std::from_chars(id.data(), end, value);
    if (id.empty() || error != std::errc() || last != end)
        return std::nullopt;
    return static_cast<uint32_t>(value);
}

std::string EventPipeName(const std::string& id) { return kPipePrefix + EventMutexName(id); }
std::string EventMutexName(const std::string& id) { return kEventGuid + id; }
std::string CommandPipeName(const std::string& id) { return kPipePrefix + CommandMutexName(id); }
std::string CommandMutexName(const std::string& id) { return kCommandGuid + id; }

std::vector<uint8_t> EncodeRequest(int32_t code)
{
    return EncodeRequest(code, {});
}

std::vector<uint8_t> EncodeRequest(int32_t code, std::initializer_list<int32_t> arguments)
{
    CByteWriter writer;
    WriteInt32(writer, code);
    for (const int32_t argument : arguments)
        WriteInt32(writer, argument);
    return writer.Bytes();
}

std::vector<uint8_t> EncodeRequest(int32_t code, const std::string& text)
{
    CByteWriter writer;
    WriteInt32(writer, code);
    WriteString(writer, text);
    return writer.Bytes();
}

bool ParseReply(const std::vector<uint8_t>& reply, std::vector<uint8_t>& payload)
{
    CByteReader reader(reply.data(), static_cast<uint32_t>(reply.size()));
    int32_t status = 0;
    if (!ReadInt32(reader, status) || status != PIPE_STATUS_OK)
        return false;
    reader.ReadRest(payload);
    return true;
}

bool IsHelloPayload(const std::vector<uint8_t>& payload)
{
    return payload.size() == PIPE_HELLO_BLOCK.size() &&
           std::equal(payload.begin(), payload.end(), PIPE_HELLO_BLOCK.begin());
}
