#include "common/LineReader.h"

int CLineReader::Rewind()
{
    m_position = 0;
    return int(m_text.size());
}

// The first CR or LF at or after the position outside double quotes, or npos
// (also when a double quote is never closed).
std::size_t CLineReader::FindLineBreak() const
{
    std::size_t at = std::size_t(m_position);
    for (;;) {
        at = m_text.find_first_of("\r\n\"", at);
        if (at == std::string::npos || m_text[at] != '"')
            return at;
        at = m_text.find('"', at + 1);
        if (at == std::string::npos)
            return at;
        ++at;
    }
}

bool CLineReader::ReadLine(std::string& line)
{
    line.clear();
    if (m_position < 0 || std::size_t(m_position) > m_text.size())
        return false;
    const std::size_t lineBreak = FindLineBreak();
    bool more = false;
    if (lineBreak == std::string::npos) {
        line = m_text.substr(std::size_t(m_position));
        m_position = -1;
    } else {
        line = m_text.substr(std::size_t(m_position), lineBreak - std::size_t(m_position));
        const std::size_t next = m_text.find_first_not_of("\r\n", lineBreak);
        more = next != std::string::npos;
        m_position = more ? int(next) : -1;
    }
    TrimLineEnd(line);
    return more;
}

void CLineReader::TrimLineEnd(std::string& line)
{
    const std::size_t last = line.find_last_not_of("\r\n");
    line.erase(last == std::string::npos ? 0 : last + 1);
}
