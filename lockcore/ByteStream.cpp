#include "lockcore/ByteStream.h"

#include <cstring>

void CByteReader::Reset(const void* data, uint32_t length)
{
    m_position = static_cast<const uint8_t*>(data);
    m_remaining = data ? length : 0;
}

int CByteReader::Read(void* destination, uint32_t length)
{
    if (length > m_remaining)
        return 1;
    if (length != 0) {
        std::memcpy(destination, m_position, length);
        m_position += length;
        m_remaining -= length;
    }
    return 0;
}

void CByteReader::StepBack(uint32_t length)
{
    m_position -= length;
    m_remaining += length;
}

void CByteReader::ReadRest(std::vector<uint8_t>& rest) const
{
    rest.assign(m_position, m_position + m_remaining);
}

uint32_t CByteWriter::Write(const void* source, uint32_t length)
{
    const auto* bytes = static_cast<const uint8_t*>(source);
    m_bytes.insert(m_bytes.end(), bytes, bytes + length);
    return length;
}

void WriteInt32(CByteWriter& writer, int32_t value)
{
    const auto bits = static_cast<uint32_t>(value);
    const uint8_t bytes[4] = {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
                              static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)};
    writer.Write(bytes, 4);
}

void WriteUInt16(CByteWriter& writer, uint16_t value)
{
    const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    writer.Write(bytes, 2);
}

void WriteString(CByteWriter& writer, const std::string& text)
{
    const size_t nul = text.find('\0');
    const auto count = static_cast<uint32_t>(nul == std::string::npos ? text.size() : nul);
    WriteInt32(writer, static_cast<int32_t>(count));
    if (count != 0)
        writer.Write(text.data(), count);
}

bool ReadInt32(CByteReader& reader, int32_t& value)
{
    uint8_t bytes[4];
    if (reader.Read(bytes, 4) != 0)
        return false;
    value = static_cast<int32_t>(uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
                                 uint32_t{bytes[3]} << 24);
    return true;
}

bool ReadUInt16(CByteReader& reader, uint16_t& value)
{
    uint8_t bytes[2];
    if (reader.Read(bytes, 2) != 0)
        return false;
    value = static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
    return true;
}

bool ReadString(CByteReader& reader, std::string& text)
{
    int32_t count = 0;
    if (!ReadInt32(reader, count))
        return false;
    const auto length = static_cast<uint32_t>(count);  // a negative count is huge here
    if (length > reader.Remaining()) {
        reader.StepBack(4);
        return false;
    }
    std::string bytes(length, '\0');
    reader.Read(bytes.data(), length);
    bytes.resize(bytes.find('\0') == std::string::npos ? length : bytes.find('\0'));
    text = std::move(bytes);
    return true;
}
