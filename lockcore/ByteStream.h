#pragma once
// Byte streams for the pipe messages: little-endian integers and counted texts, written
// and read byte by byte so both programs produce the same bytes on any host.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CByteReader {
public:
    CByteReader(const void* data, uint32_t length) { Reset(data, length); }
    virtual ~CByteReader() = default;

    void Reset(const void* data, uint32_t length);

    // 0 and `length` bytes copied; 1 and nothing copied or moved when fewer remain.
    int Read(void* destination, uint32_t length);
    // Undoes the last `length` bytes read.
    void StepBack(uint32_t length);
    // The unread bytes; the position does not move.
    void ReadRest(std::vector<uint8_t>& rest) const;

    uint32_t Remaining() const { return m_remaining; }

private:
    const uint8_t* m_position = nullptr;
    uint32_t m_remaining = 0;
};

class CByteWriter {
public:
    CByteWriter() = default;
    virtual ~CByteWriter() = default;

    // Appends the bytes; returns how many were appended.
    uint32_t Write(const void* source, uint32_t length);

    const uint8_t* Data() const { return m_bytes.empty() ? nullptr : m_bytes.data(); }
    uint32_t Size() const { return static_cast<uint32_t>(m_bytes.size()); }
    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

void WriteInt32(CByteWriter& writer, int32_t value);
void WriteUInt16(CByteWriter& writer, uint16_t value);
// The int32 byte count, then the text's bytes up to its first NUL, without a terminator.
void WriteString(CByteWriter& writer, const std::string& text);

// Each is true when the whole value was read; on false the reader has not moved.
bool ReadInt32(CByteReader& reader, int32_t& value);
bool ReadUInt16(CByteReader& reader, uint16_t& value);
// A count above the bytes left (a negative count included) fails; the text kept ends at
// the first NUL among the bytes.
bool ReadString(CByteReader& reader, std::string& text);
