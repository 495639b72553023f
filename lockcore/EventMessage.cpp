#include "lockcore/EventMessage.h"

#include <cstring>

#include "lockcore/ByteStream.h"

std::vector<uint8_t> BuildEventMessage(int32_t code)
{
    CByteWriter writer;
    writer.Write(kEventRegisterMessage, kEventMarkerSize);
    WriteInt32(writer, code);
    return writer.Bytes();
}

bool ParseEventMessage(const void* data, size_t size, int32_t& code)
{
    if (!data || size != kEventMessageSize || std::memcmp(data, kEventRegisterMessage, kEventMarkerSize) != 0)
        return false;
    CByteReader reader(static_cast<const uint8_t*>(data) + kEventMarkerSize, 4);
    return ReadInt32(reader, code);
}
